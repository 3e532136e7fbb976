// The checks a program's text list (its texts.inc) must pass, made by each
// program's own tests over its list and the lists linked with it:
//
//   #define TVL_TEXT TVL_LISTED_TEXT
//   const tvltest::ListedText kTexts[] = {
//   #include "sequence/texts.inc"
//   #include "wizard/texts.inc"
//   };
//   #undef TVL_TEXT
//   TEST(Texts, ...) { tvltest::ExpectWellFormed(kTexts); }
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <span>
#include <string>

#define TVL_LISTED_TEXT(id, name, ja, en) {id, #name, ja, en},

namespace tvltest {

struct ListedText {
  unsigned id;
  const char* name;
  std::string japanese, english;  // UTF-8
};

inline std::set<std::string> Placeholders(const std::string& s) {
  std::set<std::string> found;
  static const std::regex kPlaceholder("%[1-9]");
  for (std::sregex_iterator it(s.begin(), s.end(), kPlaceholder), end; it != end; ++it) found.insert(it->str());
  return found;
}

// The lists linked into one program share its string tables: no id twice.
inline void ExpectWellFormed(std::span<const ListedText> lists) {
  std::set<unsigned> ids;
  for (const ListedText& t : lists) {
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

}  // namespace tvltest
