#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "common/tests/support/temp_folder.h"
#include "common/shell_open.h"
#include "common/win32/special_folders.h"

namespace {

namespace fs = std::filesystem;

TEST(SpecialFolders, FileSystemFoldersOnlyHaveAPath) {
  EXPECT_FALSE(win::UserStartupFolder().empty());
  EXPECT_EQ(win::SpecialFolder(0x0003), L"");  // the Control Panel has no path
}

TEST(Seams, StartInTheCurrentDirectoryAndOpenDocuments) {
  TempFolder dir;
  fs::path saved = fs::current_path();
  auto waitFor = [](const std::wstring& path) {
    for (int i = 0; i < 200 && !fs::exists(fs::path(path)); ++i) Sleep(50);
    return fs::exists(fs::path(path));
  };
  Processes& p = RealProcesses();
  ASSERT_TRUE(p.SetCurrentDirectory(dir.path()));
  EXPECT_FALSE(p.SetCurrentDirectory(dir / L"missing"));
  // A relative output file lands in the directory just set.
  EXPECT_TRUE(p.Start(L"cmd.exe /c echo started> started.txt", show::kHide));
  EXPECT_TRUE(waitFor(dir / L"started.txt"));
  EXPECT_FALSE(p.Start(L"\"" + (dir / L"missing.exe") + L"\"", show::kNormal));
  // A command script's default action runs it: the real shell was reached
  // without opening another program's window.
  std::wstring script = dir.Write(L"mark.cmd", "@echo opened> \"%~dp0opened.txt\"\r\n");
  EXPECT_TRUE(ShellOpen(nullptr, script, RealShell(), RealFileSystem()));
  EXPECT_TRUE(waitFor(dir / L"opened.txt"));
  fs::current_path(saved);
}

}  // namespace
