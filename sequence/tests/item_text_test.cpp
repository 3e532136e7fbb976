#include "sequence/item_text.h"

#include <gtest/gtest.h>

namespace {

// No text a record holds can end the record or a line of it: U+0001 and
// every line end become blanks; a title left blank takes the program's name.
TEST(ItemText, RecordTextsHoldNoRecordOrLineEnd) {
  EXPECT_EQ(sequence::ItemBody(L"a\x01.exe\r", L"D:\\\nNoUse = 1", L"-a\r\nFile=x\x85\x2028\x2029", 3),
            L"File=a .exe \r\nCurrent=D:\\ NoUse = 1\r\nOption=-a  File=x   \r\nSize = 3\r\nNoUse = 0");
  struct Case { const wchar_t *title, *program, *expected; } cases[] = {
      {L"Evil\x01Name", L"e.exe", L"Evil Name"},
      {L"x\x01\x01" L"File=y", L"e.exe", L"x  File=y"},
      {L"\x01\r\n\x85", L"e\x2028.exe", L"e .exe"},  // only control characters
      {L"", L"e.exe", L"e.exe"},
      {L"　", L"e.exe", L"　"},  // a full-width blank is text
  };
  for (const Case& c : cases) EXPECT_EQ(sequence::RecordTitle(c.title, c.program), c.expected);
}

TEST(ItemText, DateIsZeroPadded) {
  struct Case { sequence::Date d; const wchar_t* text; } cases[] = {
      {{1999, 12, 31}, L"1999/12/31"}, {{987, 3, 4}, L"0987/03/04"}};
  for (const Case& c : cases) EXPECT_EQ(sequence::FormatDate(c.d), c.text);
}

}  // namespace
