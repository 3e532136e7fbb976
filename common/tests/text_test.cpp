#include "text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool AnsiIsJapanese() {
#ifdef _WIN32
  return GetACP() == 932;
#else
  return false;
#endif
}

TEST(Text, AsciiRoundTripsUnchanged) {
  std::string bytes = "File=C:\\Tools\\clock.exe\r\nSize = 6\x01";
  std::wstring wide = text::FromAnsi(bytes);
  EXPECT_EQ(wide, L"File=C:\\Tools\\clock.exe\r\nSize = 6\x01");
  EXPECT_EQ(text::ToAnsi(wide), bytes);
}

TEST(Text, JapaneseRoundTripsInTheCodePage) {
  std::wstring title = L"2001/05/12\xFF1A\x30E1\x30E2\x5E33";  // date, full-width colon, a title
  std::string bytes = text::ToAnsi(title);
  EXPECT_EQ(text::FromAnsi(bytes), title);
  if (AnsiIsJapanese()) {
    EXPECT_EQ(bytes.substr(10, 2), "\x81\x46");
  }
}

TEST(Text, InvalidInputNeverVanishes) {
  // A lone lead byte at the end, and bytes that are no text in UTF-8.
  std::wstring read = text::FromAnsi(std::string("A\x81", 2));
  ASSERT_GE(read.size(), 2u);
  EXPECT_EQ(read[0], L'A');
  if (!AnsiIsJapanese()) {
    EXPECT_EQ(text::FromAnsi("\xff\xfe"), std::wstring(L"\xFFFD\xFFFD"));
  }
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

TEST(Text, EmptyInEmptyOut) {
  EXPECT_EQ(text::FromAnsi(""), L"");
  EXPECT_EQ(text::ToAnsi(L""), "");
}

TEST(Text, CaseFolding) {
  EXPECT_EQ(text::ToLower(L"NoUse FILE"), L"nouse file");
  EXPECT_TRUE(text::EqualsNoCase(L"TimerInterval", L"timerinterval"));
  EXPECT_FALSE(text::EqualsNoCase(L"Size", L"Sizes"));
}

}  // namespace
