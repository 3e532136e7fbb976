#include "common/ui_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

#include "common/text.h"

namespace {

struct Listed { unsigned id; const char* name; std::string japanese, english; };

// The three programs' lists and the shared library's, as the string tables
// are made from them.
#define TVL_TEXT(id, name, ja, en) {id, #name, ja, en},
const Listed kListed[] = {
#include "sequence/texts.inc"
#include "sequencer/texts.inc"
#include "wizard/texts.inc"
#include "droptool/texts.inc"
};
#undef TVL_TEXT

std::set<std::string> Placeholders(const std::string& s) {
  std::set<std::string> found;
  static const std::regex kPlaceholder("%[1-9]");
  for (std::sregex_iterator it(s.begin(), s.end(), kPlaceholder), end; it != end; ++it) found.insert(it->str());
  return found;
}

}  // namespace

TEST(UiText, EveryListedTextHasBothLanguagesWithTheSamePlaceholders) {
  std::set<unsigned> ids;
  for (const Listed& t : kListed) {
    EXPECT_TRUE(ids.insert(t.id).second) << "id used twice: " << t.id;
    EXPECT_FALSE(t.japanese.empty() || t.english.empty()) << t.name;
    // A value the code fills in must have its place in either language.
    EXPECT_EQ(Placeholders(t.japanese), Placeholders(t.english)) << t.name;
    // The resource compiler reads "" where C++ reads \": a quote would differ.
    EXPECT_EQ((t.japanese + t.english).find('"'), std::string::npos) << t.name;
    // The English texts are written for every other language's users: no
    // Japanese left in them.
    EXPECT_TRUE(std::none_of(t.english.begin(), t.english.end(), [](unsigned char c) { return c >= 0xE3; })) << t.name;
  }
}

TEST(UiText, FormatPutsEachArgumentInItsPlace) {
  struct Case { const wchar_t *pattern, *expected; } cases[] = {
      {L"%1を起動しています。", L"a.exeを起動しています。"}, {L"%2 before %1", L"%2% before a.exe"},
      {L"100%% at %1", L"100% at a.exe"}, {L"no place %", L"no place %"}, {L"%3 is missing", L"%3 is missing"}};
  for (const Case& c : cases) EXPECT_EQ(ui::Format(c.pattern, {L"a.exe", L"%2%"}), c.expected) << c.pattern;
}

