#include "droptool/drop_text.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "droptool/tests/drop_block.h"
#include "common/tests/support/fakes.h"

namespace {

using droptool::BuildDropText;
using droptool::DropText;

// Windows-style test paths in the platform's form: on POSIX the drive goes
// and "\" becomes "/", so C:\x.txt is /x.txt and its parent the root "/".
std::wstring P(std::wstring p) {
#ifndef _WIN32
  if (p.size() >= 2 && p[1] == L':') p.erase(0, 2);
  for (wchar_t& c : p)
    if (c == L'\\') c = L'/';
#endif
  return p;
}

DropText Build(const std::vector<std::wstring>& paths, int listSize, fake::Shortcuts& links,
               FileSystem& files = RealFileSystem()) {
  fake::Clock clock;
  return BuildDropText(paths, listSize, links, clock, files);
}

TEST(DropText, PlainFilesAndFoldersUseTheListAndTheirParent) {
  struct Case { std::wstring path; int listSize; std::wstring name, current; } cases[] = {
      {P(L"C:\\Tools\\editor.exe"), 1, L"editor", P(L"C:\\Tools")},
      {P(L"C:\\readme.txt"), 1, L"readme", P(L"C:\\")},                     // the root keeps its separator
      {P(L"C:\\データ\\メモ帳.txt"), 3, L"メモ帳", P(L"C:\\データ")},
      {P(L"C:\\Tools\\link.lnk.bak"), 1, L"link.lnk", P(L"C:\\Tools")},      // not a shortcut
  };
  for (const Case& c : cases) {
    fake::Shortcuts links;
    DropText d = Build({c.path}, c.listSize, links);
    ASSERT_TRUE(d.text.has_value()) << text::ToUtf8(c.path);
    EXPECT_EQ(*d.text, DropBlock(c.name, c.path, c.current, c.listSize)) << text::ToUtf8(c.path);
    EXPECT_EQ(links.reads, 0);
  }
}

TEST(DropText, ShortcutsGiveTheirTargetFolderAndStyle) {
  fake::Shortcuts links;
  const std::wstring exe = P(L"C:\\Program Files\\Clock\\clock.exe"), work = P(L"C:\\Program Files\\Clock");
  struct Case { std::wstring lnk; ShortcutInfo info; std::wstring name; int size; } cases[] = {
      {P(L"C:\\Links\\Big Clock.LNK"), {exe, work, 3}, L"Big Clock", 3},
      {P(L"C:\\Links\\tray.Lnk"), {exe, L"", 7, L"/background --minimized"}, L"tray", 6},
      // A shell item with no file path: the shortcut itself, without folder or arguments.
      {P(L"C:\\Links\\panel.lnk"), {L"", work, 7, L"/x"}, L"panel", 6},
  };
  for (const Case& c : cases) {
    links.links[c.lnk] = c.info;
    // The list choice (6 here) never applies to a shortcut.
    DropText d = Build({c.lnk}, 6, links);
    ASSERT_TRUE(d.text.has_value()) << text::ToUtf8(c.lnk);
    const ShortcutInfo& i = c.info;
    EXPECT_EQ(*d.text, i.targetPath.empty() ? DropBlock(c.name, c.lnk, L"", c.size)
                                            : DropBlock(c.name, i.targetPath, i.workingDirectory, c.size, i.arguments))
        << text::ToUtf8(c.lnk);
  }
  // Pasted, the block becomes records: no text breaks a line, and a blank
  // name takes the target's file name.
  const std::wstring odd = P(L"C:\\Links\\.lnk");
  links.links[odd] = {exe, P(L"C:\\W\r\nFile=C:\\evil.exe"), 1, L"\x01/x\x2028"};
  EXPECT_EQ(Build({odd}, 1, links).text, DropBlock(L"clock.exe", exe, P(L"C:\\W  File=C:\\evil.exe"), 1, L" /x "));
}

// The clipboard text is Unicode, but a path a sequence file's code page
// cannot hold (a lone surrogate fits none) is given by its short form where
// there is one, so that it still names its file once pasted; without one the
// item is left out and named. (Arguments, which have no short form: the
// wizard's generation tests.)
TEST(DropText, PathsTheCodePageCannotHoldTakeTheirShortFormOrAreLeftOut) {
  const std::wstring bad = P(L"C:\\Pro") + std::wstring(1, wchar_t(0xDC00)) + L"gram";
  fake::RealDisk files;
  files.shortForms[bad] = P(L"C:\\PROGRA~1");
  files.shortForms[bad + P(L"\\a.exe")] = P(L"C:\\PROGRA~1\\a.exe");
  fake::Shortcuts links;
  const std::wstring lnk = P(L"C:\\Links\\b.lnk");
  links.links[lnk] = {bad + P(L"\\b.exe"), bad, 1};
  const std::vector<std::wstring> dropped{bad + P(L"\\a.exe"), lnk, bad + P(L"\\c\\x.exe")};
  DropText d = Build(dropped, 3, links, files);
  ASSERT_TRUE(d.text.has_value());
  EXPECT_EQ(*d.text, DropBlock(L"a", P(L"C:\\PROGRA~1\\a.exe"), P(L"C:\\PROGRA~1"), 3));
  EXPECT_EQ(d.leftOut, (std::vector<std::wstring>{lnk, dropped[2]}));
}

TEST(DropText, UnreadableShortcutFailsTheWholeDrop) {
  fake::Shortcuts links;
  const std::wstring good = P(L"C:\\Links\\good.lnk"), bad = P(L"C:\\Links\\broken.lnk");
  links.links[good] = {P(L"C:\\x.exe"), L"", 1};
  DropText d = Build({P(L"C:\\a.txt"), good, bad, P(L"C:\\z.txt")}, 1, links);
  EXPECT_EQ(d.text, std::nullopt);
  // The description names the file that failed.
  EXPECT_NE(d.error.find(bad), std::wstring::npos) << text::ToUtf8(d.error);
}

}  // namespace
