// The real file seam when the disk or another program says no: a write that
// fails part-way, a file another program holds open without sharing.
#include "fileio.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include "common/win32/raii.h"
#else
#include "file_size_limit.h"
#endif

namespace {

// Each test works in a folder of its own, through the real file seam.
struct FileIOFaults : testing::Test {
  TempFolder dir;
  FileSystem& f = RealFileSystem();
};

#ifndef _WIN32
TEST_F(FileIOFaults, WritesThatFailPartWayLeaveTheFileAsItWas) {
  const std::string before = "2001/05/12 a\x01\x01" "File=a.exe\x01";
  const std::wstring seq = dir.Write(L"Startup.pmw", before), ini = dir.Write(L"Tarvoline.ini", "CPULimit = 5\r\n");
  const std::string record(4096, 'r');
  {
    tvltest::FileSizeLimit full(before.size() + 100);  // room for part of the record only
    EXPECT_FALSE(f.Append(seq, record));
    EXPECT_FALSE(f.Append(dir / L"new.pmw", record));
    EXPECT_FALSE(f.ReplaceContents(ini, record));
  }
  EXPECT_EQ(TempFolder::Read(seq), before);
  EXPECT_EQ(TempFolder::Read(dir / L"new.pmw"), "");
  EXPECT_EQ(TempFolder::Read(ini), "CPULimit = 5\r\n");
  EXPECT_TRUE(f.ListOrdinaryFiles(dir / L"*.tvl-new").empty());
  // With room again the same calls succeed.
  EXPECT_TRUE(f.Append(seq, record));
  EXPECT_EQ(TempFolder::Read(seq), before + record);
}
#else
// A file another program holds open with no sharing at all.
TEST_F(FileIOFaults, AFileLockedByAnotherProgramIsNeitherReadNorChanged) {
  const std::wstring seq = dir.Write(L"Startup.pmw", "a\x01\x01" "File=a.exe\x01");
  const std::wstring ini = dir.Write(L"Tarvoline.ini", "CPULimit = 5\r\n");
  {
    win::FileHandle lockSeq(CreateFileW(seq.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    win::FileHandle lockIni(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lockSeq && lockIni);
    EXPECT_EQ(f.ReadAll(seq), std::nullopt);
    EXPECT_FALSE(f.CanRead(seq));
    EXPECT_FALSE(f.CanAppend(seq));
    EXPECT_FALSE(f.Append(seq, "b\x01"));
    EXPECT_FALSE(f.ReplaceContents(ini, "CPULimit = 30\r\n"));
    // Still found by a directory search: locked is not missing.
    EXPECT_TRUE(f.IsOrdinaryFile(seq));
  }
  EXPECT_EQ(TempFolder::Read(seq), std::string("a\x01\x01" "File=a.exe\x01"));
  EXPECT_EQ(TempFolder::Read(ini), "CPULimit = 5\r\n");
  EXPECT_TRUE(f.ListOrdinaryFiles(dir / L"*.tvl-new").empty());
}

// A folder where no file can be made beside the target (a read-only share):
// the settings cannot be replaced, and the target is left alone.
TEST_F(FileIOFaults, NoRoomBesideTheTargetLeavesItAlone) {
  const std::wstring ini = dir.Write(L"Tarvoline.ini", "CPULimit = 5\r\n");
  ASSERT_TRUE(CreateDirectoryW((ini + L".tvl-new").c_str(), nullptr));
  EXPECT_FALSE(f.ReplaceContents(ini, "CPULimit = 30\r\n"));
  EXPECT_EQ(TempFolder::Read(ini), "CPULimit = 5\r\n");
}
#endif

}  // namespace
