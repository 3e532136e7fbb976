#include "itemtext.h"

#include <gtest/gtest.h>

namespace {

TEST(ItemText, BodyHasTheFiveKeyLinesWithoutFinalLineEnd) {
  EXPECT_EQ(itemtext::ItemBody(L"C:\\Tools\\clock.exe", L"C:\\Tools", L"/background", 6),
            L"File=C:\\Tools\\clock.exe\r\nCurrent=C:\\Tools\r\nOption=/background\r\nSize = 6\r\nNoUse = 0");
  EXPECT_EQ(itemtext::ItemBody(L"D:\\データ\\メモ.txt", L"D:\\", L"-a\r\n-b\x01", 3),
            L"File=D:\\データ\\メモ.txt\r\nCurrent=D:\\\r\nOption=-a  -b \r\nSize = 3\r\nNoUse = 0");
}

TEST(ItemText, DateIsZeroPadded) {
  struct Case { itemtext::Date d; const wchar_t* text; } cases[] = {
      {{2001, 5, 12}, L"2001/05/12"}, {{1999, 12, 31}, L"1999/12/31"}, {{987, 3, 4}, L"0987/03/04"}};
  for (const Case& c : cases) EXPECT_EQ(itemtext::FormatDate(c.d), c.text);
}

}  // namespace
