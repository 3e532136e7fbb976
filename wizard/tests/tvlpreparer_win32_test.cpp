// The built program started as the user starts it: its caption from the
// version resource, the default file beside it, and closing writes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/fileio.h"
#include "program_win32.h"
#include "win32/control_ids.h"

namespace {

TEST(Program, StartsWithItsCaptionAndClosesWithoutWriting) {
  const std::wstring folder = tvltest::ProgramFolder(), file = folder + L"\\StartUp.pmw";
  const auto before = RealFileSystem().ReadAll(file);  // a run by hand may have left one there
  tvltest::Process program;
  ASSERT_TRUE(program.Start(folder + L"\\TVLpreparer.exe"));
  HWND wizard = tvltest::WaitForWindow(program.pi.dwThreadId, L"TVLpreparerMain");
  ASSERT_TRUE(wizard);
  EXPECT_EQ(tvltest::TextOf(wizard), L"TVLpreparer Ver.1.1.0");
  HWND page = GetDlgItem(GetDlgItem(wizard, wizard::ids::kPageHost), wizard::ids::PageId(2));
  EXPECT_EQ(CompareStringOrdinal(tvltest::TextOf(GetDlgItem(page, wizard::ids::kSequenceFile)).c_str(), -1,
                                 file.c_str(), -1, TRUE), CSTR_EQUAL);
  PostMessageW(wizard, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Wait(20000), 0u);
  EXPECT_EQ(RealFileSystem().ReadAll(file), before);
}

}  // namespace
