#include "common/ui_text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"

TEST(UiText, FormatPutsEachArgumentInItsPlace) {
  struct Case { const wchar_t *pattern, *expected; } cases[] = {
      {L"%1を起動しています。", L"a.exeを起動しています。"}, {L"%2 before %1", L"%2% before a.exe"},
      {L"100%% at %1", L"100% at a.exe"}, {L"no place %", L"no place %"}, {L"%3 is missing", L"%3 is missing"}};
  for (const Case& c : cases) EXPECT_EQ(ui::Format(c.pattern, {L"a.exe", L"%2%"}), c.expected) << c.pattern;
}

