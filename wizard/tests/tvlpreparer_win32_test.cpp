// The built program started as the user starts it: its caption from the
// version resource, the default file beside it, and closing writes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "program_win32.h"
#include "win32/control_ids.h"

namespace {

// Size and last write of a file, or nothing when it is not there: a run of
// the wizard by hand may have left one beside the program.
std::optional<std::pair<ULONGLONG, ULONGLONG>> Stamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
  return std::make_pair((ULONGLONG(d.nFileSizeHigh) << 32) | d.nFileSizeLow,
                        (ULONGLONG(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime);
}

TEST(Program, StartsWithItsCaptionAndClosesWithoutWriting) {
  const std::wstring folder = tvltest::ProgramFolder(), file = folder + L"\\StartUp.pmw";
  const auto before = Stamp(file);
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
  EXPECT_EQ(Stamp(file), before);
}

}  // namespace
