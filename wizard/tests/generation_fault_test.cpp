// The wizard appending to a sequence file it may not or cannot finish
// writing: a read-only file or share, a disk that fills up part-way. The
// user's file must stay exactly as it was, and the user must be told.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/ui_text.h"
#include "common/fileio.h"
#include "fakes.h"
#include "file_size_limit.h"
#include "generation.h"
#include "temp_folder.h"
#include "texts.h"


namespace {

namespace fs = std::filesystem;

const std::string kBefore = "2001/05/12\x81\x46old\x01\x01" "File=C:\\old.exe\x01";

// The real disk, except that appends fail: as a disk that fills up part-way
// does, after the seam has cut the file back.
struct FullDisk : fake::RealDisk {
  int appends = 0;
  bool ReplaceContents(const std::wstring&, const std::string&) override { return false; }
  bool Append(const std::wstring&, const std::string&) override { return ++appends, false; }
};

struct Bench {
  TempFolder t;
  std::wstring links = t / L"links";
  std::wstring seq = t.Write(L"seq.pmw", kBefore);
  fake::Shortcuts shortcuts;
  fake::Clock clock;
  fake::Messages messages;
  Bench() {
    fs::create_directory(fs::path(links));
    shortcuts.links[Link(L"a.lnk")] = {L"C:\\a.exe", L"", 1};
    shortcuts.links[Link(L"b.lnk")] = {L"C:\\b.exe", L"", 3};
    Link(L"broken.lnk");  // unreadable: its warning must not follow a failure
  }
  // An empty shortcut file in links; its path as the wizard forms it.
  std::wstring Link(const std::wstring& name) {
#ifdef _WIN32
    return t.Write(L"links\\" + name, "");
#else
    return t.Write(L"links/" + name, "");
#endif
  }
  wizard::GenerationResult Run(FileSystem& files) {
    return wizard::GenerateSequenceFile(links, seq, {files, shortcuts, clock, messages});
  }
  void ExpectRefusedAndUntouched(const wizard::GenerationResult& r, const std::string& bytes) {
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.written, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], std::make_pair(ui::Text(wizard::texts::kNotWritable), ui::MessageIcon::Critical));
    EXPECT_EQ(TempFolder::Read(seq), bytes);
  }
};

TEST(GenerationFaults, AFailingAppendIsReportedAndWritesNothing) {
  Bench b;
  FullDisk disk;
  b.ExpectRefusedAndUntouched(b.Run(disk), kBefore);
  EXPECT_EQ(disk.appends, 1);  // one write for all records: never some of them
}

TEST(GenerationFaults, AReadOnlyFileOrShareIsReportedAndWritesNothing) {
  struct Case {
    const char* name;
    bool readOnlyFile;      // the file exists and may not be written
    const wchar_t* inside;  // or: a new file inside a place that takes none
  } cases[] = {
      {"read-only file", true, nullptr},
      {"new file where no file can be made", false, L"seq.pmw"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    if (c.readOnlyFile) {
      fs::permissions(fs::path(b.seq), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
    } else {
      b.seq = (fs::path(b.seq) / c.inside).wstring();  // below a file, not a folder
    }
    b.ExpectRefusedAndUntouched(b.Run(RealFileSystem()), c.readOnlyFile ? kBefore : "");
    if (c.readOnlyFile) fs::permissions(fs::path(b.seq), fs::perms::owner_write, fs::perm_options::add);
  }
}

#ifndef _WIN32
// The real file seam on a disk that fills up in the middle of the records.
TEST(GenerationFaults, ADiskThatFillsUpPartWayKeepsTheFileWhole) {
  Bench b;
  for (int i = 0; i < 50; ++i) b.shortcuts.links[b.Link(L"x" + std::to_wstring(i) + L".lnk")] = {L"C:\\x.exe", L"", 1};
  wizard::GenerationResult r;
  {
    tvltest::FileSizeLimit full(kBefore.size() + 200);  // room for about one record
    r = b.Run(RealFileSystem());
  }
  b.ExpectRefusedAndUntouched(r, kBefore);
}
#endif

}  // namespace
