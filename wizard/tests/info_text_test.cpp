// The information page's plain text, made from the page the browser shows.
#include "wizard/info_text.h"

#include <gtest/gtest.h>

#include "common/fileio.h"
#include "common/text.h"

namespace {

TEST(InfoText, HeadingsParagraphsAndNumberedItemsOnLinesOfTheirOwn) {
  const std::wstring page =
      L"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<title>Hidden</title>\n<style>\nh1 { x: y; }\n</style>\n</head>\n"
      L"<body>\n<h1>Tarvoline</h1>\n<p>\u3000First   paragraph,\n  one line.</p>\n<h2>Steps</h2>\n<ol>\n"
      L"<li>Run <code>TVLpreparer.exe /restore</code> &amp; wait &lt;1 s&gt;.</li>\n<li>Two</li>\n</ol>\n"
      L"<h2>Again</h2>\n<ol><li>Restarts</li></ol>\n<p>Say &quot;yes&quot;</p>\n</body>\n</html>\n";
  EXPECT_EQ(wizard::InfoPageText(page),
            L"Tarvoline\r\n\u3000First paragraph, one line.\r\n\r\nSteps\r\n"
            L"1. Run TVLpreparer.exe /restore & wait <1 s>.\r\n2. Two\r\n\r\nAgain\r\n1. Restarts\r\nSay \"yes\"");
}

// The shipped pages use only what the conversion reads: no markup or
// reference is left over, and every list item is numbered.
TEST(InfoText, TheShippedPagesConvertWhole) {
  for (const wchar_t* name : {L"/wizard/win32/info.html", L"/wizard/win32/info_en.html"}) {
    SCOPED_TRACE(text::ToUtf8(name));
    const std::optional<std::string> bytes = RealFileSystem().ReadAll(std::wstring(TVL_SOURCES) + name);
    ASSERT_TRUE(bytes);
    const std::wstring page = text::FromUtf8(*bytes), plain = wizard::InfoPageText(page);
    EXPECT_EQ(plain.find_first_of(L"<>&"), std::wstring::npos) << text::ToUtf8(plain);
    size_t items = 0;
    for (size_t at = 0; (at = page.find(L"<li>", at)) != std::wstring::npos; ++at) ++items;
    EXPECT_GT(items, 0u);
    EXPECT_NE(plain.find(L"\r\n" + std::to_wstring(items) + L". "), std::wstring::npos);
  }
}

}  // namespace
