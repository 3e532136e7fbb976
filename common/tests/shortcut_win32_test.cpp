// What the wizard and the drop tool read from real shortcuts is their own
// Windows tests' part; here: what is no shortcut, and SetTarget.
#include <gtest/gtest.h>

#include "common/tests/support/make_shortcut_win32.h"
#include "common/fileio.h"
#include "common/shortcut.h"
#include "common/tests/support/temp_folder.h"
#include "common/text.h"

namespace {

TEST(ShellShortcut, ReadRefusesWhatIsNoShortcut) {
  TempFolder dir;
  // A shell-link header and no more: a shortcut that names neither a path nor a shell item.
  std::string nothing(shortcut::kHeaderSize + 4, '\0');
  nothing.replace(0, 20, "\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20);
  nothing[0x3C] = 1;
  for (const std::wstring& p : {dir / L"missing.lnk", dir.Write(L"text.lnk", "File=C:\\x.exe\r\n"),
                                dir.Write(L"empty.lnk", ""), dir.Write(L"nothing.lnk", nothing), dir.path()})
    EXPECT_EQ(RealShortcutStore().Read(p), std::nullopt) << text::ToUtf8(p);
}

TEST(ShellShortcut, SetTargetSetsTheArgumentsAndKeepsTheOtherProperties) {
  TempFolder dir;
  const std::wstring oldExe = dir.Write(L"old.exe", "MZ"), newExe = dir.Write(L"Tarvoline.exe", "MZ");
  const std::wstring work = dir.path(), lnk = dir / L"Tarvoline.lnk";
  ASSERT_TRUE(tvltest::MakeShortcut(lnk, {oldExe, work, 7, L"-quiet", L"kept"}));

  ASSERT_TRUE(RealShortcutStore().SetTarget(lnk, newExe, L"\"C:\\My Files\\x.pmw\""));
  std::optional<ShortcutInfo> info = RealShortcutStore().Read(lnk);
  ASSERT_TRUE(info.has_value());
  EXPECT_TRUE(text::EqualsNoCase(info->targetPath, newExe)) << text::ToUtf8(info->targetPath);
  EXPECT_TRUE(text::EqualsNoCase(info->workingDirectory, work));
  EXPECT_EQ(info->windowStyle, 7);
  EXPECT_EQ(info->arguments, L"\"C:\\My Files\\x.pmw\"");
  EXPECT_EQ(tvltest::ShortcutDescription(lnk), L"kept");
  EXPECT_TRUE(RealFileSystem().ListOrdinaryFiles(dir / L"*.tvl-new").empty());  // nothing left beside it
}

TEST(ShellShortcut, SetTargetNeverOverwritesAnotherFile) {
  TempFolder dir;
  std::wstring exe = dir.Write(L"Tarvoline.exe", "MZ");
  std::wstring notes = dir.Write(L"notes.lnk", "my own notes\r\n");
  EXPECT_FALSE(RealShortcutStore().SetTarget(notes, exe, L""));
  EXPECT_EQ(TempFolder::Read(notes), "my own notes\r\n");
  EXPECT_FALSE(RealShortcutStore().SetTarget(dir.path(), exe, L""));
  EXPECT_FALSE(RealShortcutStore().SetTarget(dir / L"no-such-folder\\Tarvoline.lnk", exe, L""));
}

}  // namespace
