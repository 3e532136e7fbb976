// Reading text a user or a broken program has spoilt: bytes the code page has
// no character for spoil only themselves, never the record and line ends
// that follow them.
#include "text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextFaults, AnIncompleteCharacterNeverSwallowsAnEnd) {
  // 0x81 and 0xE0 lead a two-byte character in the Japanese code page and
  // are no text on their own in UTF-8; 0x80 and 0xFF are never text.
  for (const char* spoilt : {"\x81", "\xE0", "\x80", "\xFF", "\x81\x81"}) {
    for (const char* end : {"\x01", "\r\n", "\n", "\t"}) {
      SCOPED_TRACE(testing::Message() << std::hex << int(static_cast<unsigned char>(*spoilt)) << " before "
                                      << int(*end));
      const std::wstring read = text::FromAnsi(std::string("a") + spoilt + end + "b" + spoilt);
      const std::wstring wend = text::FromAnsi(end);
      const size_t at = read.find(wend);
      ASSERT_NE(at, std::wstring::npos);
      EXPECT_EQ(read[0], L'a');
      EXPECT_GT(at, 1u);  // the spoilt byte left something behind
      EXPECT_EQ(read[at + wend.size()], L'b');
      EXPECT_EQ(read.find(wend, at + 1), std::wstring::npos);
    }
  }
}

}  // namespace
