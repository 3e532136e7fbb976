#include "common/text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
static bool AnsiIsJapanese() { return GetACP() == 932; }
#else
static bool AnsiIsJapanese() { return false; }
#endif

namespace {

TEST(Text, InvalidInputNeverVanishes) {
  // Bytes that are no text in UTF-8.
  EXPECT_TRUE(AnsiIsJapanese() || text::FromAnsi("\xff\xfe") == L"\xFFFD\xFFFD");
#ifndef _WIN32
  // Forms UTF-8 no longer has (five bytes, past U+10FFFF) are no characters.
  for (const char* bad : {"\xf9\xb1\xb1\xb1\xb1", "\xf4\x90\x80\x80"}) {
    for (wchar_t c : text::FromAnsi(bad)) EXPECT_EQ(c, L'\xFFFD') << bad;
    for (wchar_t c : text::FromUtf8(bad)) EXPECT_EQ(c, L'\xFFFD') << bad;
  }
#endif
  // A character the code page cannot hold is written as '?'.
  std::wstring unwritable = AnsiIsJapanese() ? std::wstring(L"a\x0E01z") : std::wstring(L"a") + wchar_t(0xDC00) + L"z";
  EXPECT_EQ(text::ToAnsi(unwritable), "a?z");
}

// Exact or not, text the code page holds round-trips; the exact conversion
// refuses what it would lose or turn into a look-alike.
TEST(Text, ConversionRoundTripsAndExactRefusesLostAndLookAlikeCharacters) {
  const std::wstring lone(1, wchar_t(0xDC00));  // a lone surrogate: no code page holds it
  const std::pair<std::wstring, bool> cases[] = {
      {L"", true},
      {L"C:\\Tools\\what?.exe", true},  // a real '?' is no lost character
      {L"2001/05/12\xFF1A\x30E1\x30E2\x5E33", true},  // date, full-width colon, a title
      {L"C:\\a" + lone + L"\\b.exe", false},
      // Code page 932 maps U+00A5 to the look-alike "\" and has no U+0100.
      {L"C:\\A\u00A5B\\b.exe", !AnsiIsJapanese()},
      {L"C:\\\u0100\\b.exe", !AnsiIsJapanese()},
  };
  for (const auto& [wide, exact] : cases) {
    SCOPED_TRACE(text::ToUtf8(wide));
    std::optional<std::string> bytes = text::ToAnsiExact(wide);
    ASSERT_EQ(bytes.has_value(), exact);
    EXPECT_TRUE(!exact || (text::FromAnsi(*bytes) == wide && text::FromAnsi(text::ToAnsi(wide)) == wide));
    // The plain conversion writes '?' for it, never a look-alike.
    EXPECT_TRUE(exact || text::ToAnsi(wide).find('?') != std::string::npos);
  }
  EXPECT_TRUE(!AnsiIsJapanese() || text::ToAnsi(L"\xFF1A") == "\x81\x46");  // the full-width colon
}

// Bytes a user or a broken program has spoilt spoil only themselves, never
// the record and line ends that follow them.
TEST(Text, AnIncompleteCharacterNeverSwallowsAnEnd) {
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
      EXPECT_GT(at, 1u);  // the spoilt byte left something behind
      EXPECT_EQ(read[at + wend.size()], L'b');
      EXPECT_GT(read.size(), at + wend.size() + 1);  // and so did the one at the very end
      EXPECT_EQ(read.find(wend, at + 1), std::wstring::npos);
    }
  }
}

// The system's locale, not the user's format locale, when its code page is
// the system's: a Japanese system with English formats still pastes Japanese.
TEST(ClipboardLocale, TheFirstLocaleOfTheSystemCodePage) {
  using text::ClipboardLocale;
  EXPECT_EQ(ClipboardLocale({{0x411, 932}, {0x409, 1252}}, 932), 0x411u);
  EXPECT_EQ(ClipboardLocale({{0x409, 1252}, {0x411, 932}}, 932), 0x411u);
  EXPECT_EQ(ClipboardLocale({{0x411, 932}, {0x411, 932}}, 65001), std::nullopt);  // UTF-8: no locale has it
}

}  // namespace

TEST(Text, StripQuotesAndTrimAtNull) {
  using Pair = std::pair<std::wstring, std::wstring>;
  for (auto [in, out] : {Pair{L"\"C:\\A B\\a.pmw\"", L"C:\\A B\\a.pmw"}, {L"\"\"", L""}, {L"\"", L"\""},
                         {L"\"a", L"\"a"}, {L"\"\"a\"\"", L"\"a\""}, {L"", L""}})
    EXPECT_EQ(text::StripQuotes(in), out) << text::ToUtf8(in);
  for (auto [in, out] : {Pair{std::wstring(L"C:\\Dir\0\0", 8), L"C:\\Dir"}, {std::wstring(L"\0a", 2), L""},
                         {L"none", L"none"}})
    EXPECT_EQ(text::TrimAtNull(in), out);
}
