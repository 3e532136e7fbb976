#include "tool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes.h"
#include "path_rules.h"
#include "temp_folder.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kSep(1, paths::Separator(paths::kPlatform));

TEST(Tool, TextHelpers) {
  using Pair = std::pair<std::wstring, std::wstring>;
  for (auto [in, out] : {Pair{L"\"C:\\A B\\a.pmw\"", L"C:\\A B\\a.pmw"}, {L"\"\"", L""}, {L"\"", L"\""},
                         {L"\"a", L"\"a"}, {L"\"\"a\"\"", L"\"a\""}, {L"", L""}})
    EXPECT_EQ(tool::StripQuotes(in), out) << text::ToUtf8(in);
  for (auto [in, out] : {Pair{std::wstring(L"C:\\Dir\0\0", 8), L"C:\\Dir"}, {std::wstring(L"\0a", 2), L""},
                         {L"none", L"none"}})
    EXPECT_EQ(tool::TrimAtNull(in), out);
}

// The rest of these tests is the file seam's own, tested with it.
TEST(Tool, FileTestsRefuseAnEmptyPathAndTakeAFinalSeparator) {
  TempFolder dir;
  EXPECT_TRUE(tool::IsFolderPresent(dir.path() + kSep, RealFileSystem()));
  EXPECT_FALSE(tool::IsFolderPresent(L"", RealFileSystem()));
  EXPECT_FALSE(tool::IsFileReadable(L"", RealFileSystem()));
  EXPECT_FALSE(tool::IsFileWritable(L"", RealFileSystem()));
  EXPECT_FALSE(tool::IsFileWritable(dir / L"no-such-folder" + kSep + L"x.pmw", RealFileSystem()));
}

TEST(Tool, ShellOpenOpensAddressesAndWhatADirectorySearchFinds) {
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
    EXPECT_EQ(tool::ShellOpen(nullptr, c.target, shell, RealFileSystem()), c.opened);
    ASSERT_EQ(shell.calls.size(), c.opened || !c.directory.empty() ? 1u : 0u);
    for (const fake::Shell::Call& call : shell.calls)
      EXPECT_TRUE(call.file == c.target && call.directory == c.directory && call.showState == show::kNoActivate);
  }
  fake::Shell works;
  works.result = 33;
  EXPECT_TRUE(tool::ShellOpen(nullptr, full + kSep, works, RealFileSystem()));
  EXPECT_TRUE(tool::ShellOpen(nullptr, dir / L"*.txt", works, RealFileSystem()));
}

}  // namespace
