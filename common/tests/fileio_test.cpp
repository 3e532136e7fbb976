// The real file seam, also when the disk or another program says no: a
// write that fails part-way, a file another program holds open unshared.
#include "common/fileio.h"

#include <gtest/gtest.h>

#include "common/path_rules.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "common/tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include "common/win32/raii.h"
#else
#include "common/tests/support/file_size_limit.h"
#endif

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

TEST_F(FileIO, ReadAllAndSizeGiveTheBytesOrNothing) {
  std::string bytes("A\x01" "B\r\n\0z", 7);
  EXPECT_EQ(f.ReadAll(dir.Write(L"a.pmw", bytes)), bytes);
  EXPECT_EQ(f.ReadAll(dir.Write(L"empty.pmw", "")), std::string());
  EXPECT_FALSE(f.ReadAll(dir / L"missing.pmw") || f.ReadAll(dir.path()));
  EXPECT_TRUE(f.Size(dir / L"a.pmw") == 7u && f.Size(dir / L"empty.pmw") == 0u);
  EXPECT_FALSE(f.Size(dir / L"missing.pmw") || f.Size(dir.path()));
  // A reader that takes a bounded amount is told when the file is larger.
  bool tooLarge = false;
  EXPECT_EQ(f.ReadAtMost(dir / L"a.pmw", 7, &tooLarge), bytes);
  EXPECT_FALSE(tooLarge || f.ReadAtMost(dir / L"missing.pmw", 7, &tooLarge) || tooLarge);
  EXPECT_FALSE(f.ReadAtMost(dir / L"a.pmw", 6, &tooLarge));
  EXPECT_TRUE(tooLarge);
}

TEST_F(FileIO, ReplaceContentsIsAllOrNothing) {
  std::wstring target = dir.Write(L"Tarvoline.ini", "old\r\n");
  EXPECT_TRUE(f.ReplaceContents(target, "new\r\n") && f.ReplaceContents(dir / L"created.ini", "x"));
  EXPECT_TRUE(TempFolder::Read(target) == "new\r\n" && TempFolder::Read(dir / L"created.ini") == "x");

  // A read-only target, a folder and a missing folder are refused and left alone.
  MakeReadOnly(target);
  EXPECT_FALSE(f.ReplaceContents(target, "lost"));
  EXPECT_EQ(TempFolder::Read(target), "new\r\n");
  EXPECT_FALSE(f.ReplaceContents(dir.path(), "x") || f.ReplaceContents(dir / L"no-such-folder/x.ini", "x"));
  // Nothing is left beside the target.
  EXPECT_EQ(f.ListOrdinaryFiles(dir / L"*.tvl-new").size(), 0u);
}

TEST_F(FileIO, CreateFolderMakesOneLevelAndAcceptsAFolderThere) {
  const std::wstring made = dir / L"Tarvoline";
  EXPECT_TRUE(f.CreateFolder(made) && f.IsFolder(made));
  EXPECT_TRUE(f.CreateFolder(made));  // already there
  // A file in the way, and a parent that is missing, are refused.
  EXPECT_FALSE(f.CreateFolder(dir.Write(L"file", "x")));
  EXPECT_FALSE(f.CreateFolder(dir / L"missing/child") || f.Exists(dir / L"missing"));
}

TEST_F(FileIO, AppendKeepsWhatIsThere) {
  std::wstring p = dir / L"StartUp.pmw";
  EXPECT_TRUE(f.Append(p, "a\x01") && f.Append(p, "b\x01"));
  EXPECT_EQ(TempFolder::Read(p), "a\x01" "b\x01");
  EXPECT_FALSE(f.Append(dir / L"no-such-folder/x.pmw", "x") || f.OpenForAppend(dir / L"no-such-folder/x.log"));
  // Held for appending: each write is in the file at once, readable meanwhile;
  // on Windows no other writer and no replacement until it is let go.
  const std::wstring log = dir / L"Tarvoline.log";
  {
    std::unique_ptr<AppendFile> held = f.OpenForAppend(log);
    ASSERT_TRUE(held && held->Write("one\r\n") && held->Write("two\r\n"));
    EXPECT_EQ(f.ReadAll(log), "one\r\ntwo\r\n");
#ifdef _WIN32
    EXPECT_FALSE(f.Append(log, "x") || f.ReplaceContents(log, "x") || f.OpenForAppend(log));
#endif
  }
  EXPECT_TRUE(f.Append(log, "three\r\n"));
  EXPECT_EQ(TempFolder::Read(log), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(FileIO, ReadAndAppendTests) {
  std::wstring file = dir.Write(L"f.txt", "keep");
  EXPECT_TRUE(f.CanRead(file) && f.CanAppend(file));
  EXPECT_FALSE(f.CanRead(dir.path()) || f.CanRead(dir / L"missing.txt"));
  EXPECT_EQ(TempFolder::Read(file), "keep");
  EXPECT_TRUE(f.CanAppend(dir / L"new.txt") && fs::exists(fs::path(dir / L"new.txt")));
  EXPECT_FALSE(f.CanAppend(dir.path()));
  MakeReadOnly(file);
  EXPECT_TRUE(!f.CanAppend(file) && f.CanRead(file));
}

TEST_F(FileIO, FoldersAndOrdinaryFiles) {
  EXPECT_TRUE(f.IsFolder(dir.path()));
  std::wstring file = dir.Write(L"b.lnk", "x");
  dir.Write(L"a.lnk", "x");
  dir.Write(L"c.txt", "x");
  fs::create_directory(fs::path(dir / L"d.lnk"));
  EXPECT_TRUE(!f.IsFolder(file) && f.IsOrdinaryFile(file));
  EXPECT_FALSE(f.IsOrdinaryFile(dir.path()) || f.IsOrdinaryFile(dir / L"missing"));
  auto names = f.ListOrdinaryFiles(dir / L"*.lnk");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a.lnk", L"b.lnk"}));
  EXPECT_TRUE(f.ListOrdinaryFiles(dir / L"missing/*.lnk").empty());
  EXPECT_TRUE(f.AnyOrdinaryFileMatches(dir / L"*.txt") && !f.AnyOrdinaryFileMatches(dir / L"*.pmw"));
}

#ifndef _WIN32
// (An append to a file that is there: the wizard's disk-full test.)
TEST_F(FileIO, WritesThatFailPartWayLeaveTheFileAsItWas) {
  const std::wstring ini = dir.Write(L"Tarvoline.ini", "CPULimit = 5\r\n");
  const std::string record(4096, 'r');
  {
    tvltest::FileSizeLimit full(100);  // room for part of the record only
    EXPECT_FALSE(f.Append(dir / L"new.pmw", record) || f.ReplaceContents(ini, record));
  }
  EXPECT_EQ(TempFolder::Read(dir / L"new.pmw"), "");
  EXPECT_EQ(TempFolder::Read(ini), "CPULimit = 5\r\n");
  EXPECT_TRUE(f.ListOrdinaryFiles(dir / L"*.tvl-new").empty());
}
#else
// A file another program holds open with no sharing at all.
TEST_F(FileIO, AFileLockedByAnotherProgramIsNeitherReadNorChanged) {
  const std::wstring seq = dir.Write(L"Startup.pmw", "a\x01\x01" "File=a.exe\x01");
  const std::wstring ini = dir.Write(L"Tarvoline.ini", "CPULimit = 5\r\n");
  {
    win::FileHandle lockSeq(CreateFileW(seq.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    win::FileHandle lockIni(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lockSeq && lockIni);
    EXPECT_FALSE(f.ReadAll(seq) || f.CanRead(seq) || f.CanAppend(seq) || f.Append(seq, "b\x01"));
    EXPECT_FALSE(f.ReplaceContents(ini, "CPULimit = 30\r\n"));
    // Still found by a directory search, its size still known: locked is not missing.
    EXPECT_TRUE(f.IsOrdinaryFile(seq) && f.Size(seq) == 14u);
  }
  EXPECT_EQ(TempFolder::Read(seq), std::string("a\x01\x01" "File=a.exe\x01"));
  EXPECT_EQ(TempFolder::Read(ini), "CPULimit = 5\r\n");
  EXPECT_TRUE(f.ListOrdinaryFiles(dir / L"*.tvl-new").empty());
}

#endif

// Two writers replacing files at once (the wizard and Tarvoline's guard, or
// an editor and the wizard) each write a temporary file of their own: what
// another writer has beside the target, even under the name every writer
// once used, neither blocks a replace nor is taken over by it.
TEST_F(FileIO, AnotherWritersTemporaryFileNeitherBlocksNorIsTaken) {
  const std::wstring record = dir.Write(L"SwitchedOff.txt", "old\r\n");
  fs::create_directory(fs::path(record + L".tvl-new"));
  const std::wstring others = dir.Write(L"SwitchedOff.txt.0-0.tvl-new", "another writer's\r\n");
  EXPECT_TRUE(f.ReplaceContents(record, "one\r\n") && f.ReplaceContents(record, "two\r\n"));
  EXPECT_EQ(TempFolder::Read(record), "two\r\n");
  EXPECT_EQ(TempFolder::Read(others), "another writer's\r\n");
  EXPECT_EQ(f.ListOrdinaryFiles(dir / L"*.tvl-new"), std::vector<std::wstring>{L"SwitchedOff.txt.0-0.tvl-new"});
}

// One holder at a time, also within one process (as an unshared open is);
// a holder that lets go within the wait hands it on; a lock that cannot be
// made at all is not waited for.
TEST_F(FileIO, ALockHasOneHolderAtATime) {
  const std::wstring lock = dir / L"SwitchedOff.txt.lock";
  std::unique_ptr<FileLock> first = f.Lock(lock, 0);
  ASSERT_TRUE(first);
  const auto began = std::chrono::steady_clock::now();
  EXPECT_FALSE(f.Lock(lock, 300));
  EXPECT_GE(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(250));
  std::thread letGo([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    first.reset();
  });
  EXPECT_TRUE(f.Lock(lock, 5000));
  letGo.join();
  EXPECT_FALSE(f.Lock(dir / L"no-such-folder/x.lock", 5000));
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(4));
}

}  // namespace

TEST(FileSystem, FileTestsRefuseAnEmptyPathAndTakeAFinalSeparator) {
  const std::wstring kSep(1, paths::Separator(paths::kPlatform));
  TempFolder dir;
  EXPECT_TRUE(IsFolderPresent(dir.path() + kSep, RealFileSystem()));
  EXPECT_FALSE(IsFolderPresent(L"", RealFileSystem()));
  EXPECT_FALSE(IsFileReadable(L"", RealFileSystem()));
  EXPECT_FALSE(IsFileWritable(L"", RealFileSystem()));
  EXPECT_FALSE(IsFileWritable(dir / L"no-such-folder" + kSep + L"x.pmw", RealFileSystem()));
}
