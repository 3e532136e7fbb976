#include "fileio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Each test works in a folder of its own, through the real file seam.
struct FileIO : testing::Test {
  TempFolder dir;
  FileSystem& f = RealFileSystem();
};

void MakeReadOnly(const std::wstring& path) {
  fs::permissions(fs::path(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

TEST_F(FileIO, ReadAllGivesTheBytesOrNothing) {
  std::string bytes("A\x01" "B\r\n\0z", 7);
  EXPECT_EQ(f.ReadAll(dir.Write(L"a.pmw", bytes)), bytes);
  EXPECT_EQ(f.ReadAll(dir.Write(L"empty.pmw", "")), std::string());
  EXPECT_EQ(f.ReadAll(dir / L"missing.pmw"), std::nullopt);
  EXPECT_EQ(f.ReadAll(dir.path()), std::nullopt);
}

TEST_F(FileIO, ReplaceContentsIsAllOrNothing) {
  std::wstring target = dir.Write(L"Tarvoline.ini", "old\r\n");
  EXPECT_TRUE(f.ReplaceContents(target, "new\r\n"));
  EXPECT_EQ(TempFolder::Read(target), "new\r\n");
  EXPECT_TRUE(f.ReplaceContents(dir / L"created.ini", "x"));
  EXPECT_EQ(TempFolder::Read(dir / L"created.ini"), "x");

  // A read-only target, a folder and a missing folder are refused and left alone.
  MakeReadOnly(target);
  EXPECT_FALSE(f.ReplaceContents(target, "lost"));
  EXPECT_EQ(TempFolder::Read(target), "new\r\n");
  EXPECT_FALSE(f.ReplaceContents(dir.path(), "x"));
  EXPECT_FALSE(f.ReplaceContents(dir / L"no-such-folder/x.ini", "x"));
  // Nothing is left beside the target.
  EXPECT_EQ(f.ListOrdinaryFiles(dir / L"*.tvl-new").size(), 0u);
}

TEST_F(FileIO, AppendKeepsWhatIsThere) {
  std::wstring p = dir / L"StartUp.pmw";
  EXPECT_TRUE(f.Append(p, "a\x01"));
  EXPECT_TRUE(f.Append(p, "b\x01"));
  EXPECT_EQ(TempFolder::Read(p), "a\x01" "b\x01");
  EXPECT_FALSE(f.Append(dir / L"no-such-folder/x.pmw", "x"));
}

TEST_F(FileIO, ReadAndAppendTests) {
  std::wstring file = dir.Write(L"f.txt", "keep");
  EXPECT_TRUE(f.CanRead(file));
  EXPECT_FALSE(f.CanRead(dir.path()));
  EXPECT_FALSE(f.CanRead(dir / L"missing.txt"));
  EXPECT_TRUE(f.CanAppend(file));
  EXPECT_EQ(TempFolder::Read(file), "keep");
  EXPECT_TRUE(f.CanAppend(dir / L"new.txt"));
  EXPECT_TRUE(fs::exists(fs::path(dir / L"new.txt")));
  EXPECT_FALSE(f.CanAppend(dir.path()));
  MakeReadOnly(file);
  EXPECT_FALSE(f.CanAppend(file));
  EXPECT_TRUE(f.CanRead(file));
}

TEST_F(FileIO, FoldersAndOrdinaryFiles) {
  EXPECT_TRUE(f.IsFolder(dir.path()));
  std::wstring file = dir.Write(L"b.lnk", "x");
  dir.Write(L"a.lnk", "x");
  dir.Write(L"c.txt", "x");
  fs::create_directory(fs::path(dir / L"d.lnk"));
  EXPECT_FALSE(f.IsFolder(file));
  EXPECT_TRUE(f.IsOrdinaryFile(file));
  EXPECT_FALSE(f.IsOrdinaryFile(dir.path()));
  EXPECT_FALSE(f.IsOrdinaryFile(dir / L"missing"));
  auto names = f.ListOrdinaryFiles(dir / L"*.lnk");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a.lnk", L"b.lnk"}));
  EXPECT_TRUE(f.ListOrdinaryFiles(dir / L"missing/*.lnk").empty());
  EXPECT_TRUE(f.AnyOrdinaryFileMatches(dir / L"*.txt"));
  EXPECT_FALSE(f.AnyOrdinaryFileMatches(dir / L"*.pmw"));
}

}  // namespace
