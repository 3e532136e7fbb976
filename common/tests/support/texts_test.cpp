// The checks of the text lists linked into one program (TVL_TEXTS_1, and
// TVL_TEXTS_2 where there is one: each a texts.inc named by
// tvl_add_texts_test), made over the lists its string tables are made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

namespace {

struct ListedText {
  unsigned id;
  const char* name;
  std::string japanese, english;  // UTF-8
};

#define TVL_TEXT(id, name, ja, en) {id, #name, ja, en},
const ListedText kTexts[] = {
#include TVL_TEXTS_1
#ifdef TVL_TEXTS_2
#include TVL_TEXTS_2
#endif
};
#undef TVL_TEXT

std::set<std::string> Placeholders(const std::string& s) {
  std::set<std::string> found;
  static const std::regex kPlaceholder("%[1-9]");
  for (std::sregex_iterator it(s.begin(), s.end(), kPlaceholder), end; it != end; ++it) found.insert(it->str());
  return found;
}

// The lists linked into one program share its string tables: no id twice.
TEST(Texts, EveryTextHasBothLanguagesWithTheSamePlaceholders) {
  std::set<unsigned> ids;
  for (const ListedText& t : kTexts) {
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

}  // namespace
