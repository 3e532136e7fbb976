#include "common/shell_open.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/tests/support/fakes.h"
#include "common/path_rules.h"
#include "common/tests/support/temp_folder.h"
#include "common/text.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kSep(1, paths::Separator(paths::kPlatform));



TEST(ShellOpen, ShellOpenOpensAddressesAndWhatADirectorySearchFinds) {
  TempFolder dir;
  std::wstring doc = dir.Write(L"doc.txt", "x");
  for (const wchar_t* name : {L"full", L"empty", L"only-sub", L"only-sub/sub"}) fs::create_directory(dir / name);
  const std::wstring full = (dir.Write(L"full/a.lnk", "x"), dir / L"full");

  struct Case { std::wstring target; bool opened; std::wstring directory = {}; };  // directory: the shell's
  const Case cases[] = {
      // Addresses open whatever the shell answers (it answers 2 here).
      {L"ftp://example.invalid", true, L""}, {L"Https://www.example.com/", true, L""},
      {L"mailto:someone@example.com", true, L""}, {L"https:/x", false}, {L"", false},
      {doc, false, doc},  // found, but the shell's 2 is a failure
      {dir / L"missing.txt", false}, {full, false},  // a folder without the final separator finds nothing
      {full + kSep, false, full + kSep}, {dir / L"empty" + kSep, false}, {dir / L"only-sub" + kSep, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.target));
    fake::Shell shell;
    shell.result = 2;
    EXPECT_EQ(ShellOpen(nullptr, c.target, shell, RealFileSystem()), c.opened);
    ASSERT_EQ(shell.calls.size(), c.opened || !c.directory.empty() ? 1u : 0u);
    for (const fake::Shell::Call& call : shell.calls)
      EXPECT_TRUE(call.file == c.target && call.directory == c.directory && call.showState == show::kNoActivate);
  }
  fake::Shell works;
  works.result = 33;
  EXPECT_TRUE(ShellOpen(nullptr, full + kSep, works, RealFileSystem()));
  EXPECT_TRUE(ShellOpen(nullptr, dir / L"*.txt", works, RealFileSystem()));
}

}  // namespace
