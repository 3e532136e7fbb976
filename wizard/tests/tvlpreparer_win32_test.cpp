// The built program started as the user starts it: its caption from the
// version resource, the default file beside it, and closing writes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "common/win32/raii.h"
#include "win32/control_ids.h"

namespace {

BOOL CALLBACK FindWizard(HWND hwnd, LPARAM out) {
  wchar_t cls[32] = L"";
  GetClassNameW(hwnd, cls, 32);
  if (lstrcmpW(cls, L"TVLpreparerMain") != 0) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

// Size and last write of a file, or nothing when it is not there: a run of
// the wizard by hand may have left one beside the program.
std::optional<std::pair<ULONGLONG, ULONGLONG>> Stamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
  return std::make_pair((ULONGLONG(d.nFileSizeHigh) << 32) | d.nFileSizeLow,
                        (ULONGLONG(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime);
}

std::wstring TextOf(HWND h) {
  wchar_t buf[1024] = L"";
  SendMessageW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
  return buf;
}

TEST(Program, StartsWithItsCaptionAndClosesWithoutWriting) {
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);  // the program lies one folder above this test
  folder.resize(folder.find_last_of(L"\\/"));
  folder.resize(folder.find_last_of(L"\\/"));
  const std::wstring file = folder + L"\\StartUp.pmw";
  const auto before = Stamp(file);
  std::wstring exe = folder + L"\\TVLpreparer.exe", commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  win::Handle process(pi.hProcess), thread(pi.hThread);
  HWND wizard = nullptr;
  for (int i = 0; i < 200 && !wizard; ++i, Sleep(100)) EnumThreadWindows(pi.dwThreadId, FindWizard, (LPARAM)&wizard);
  ASSERT_TRUE(wizard);
  EXPECT_EQ(TextOf(wizard), L"TVLpreparer Ver.1.1.0");
  HWND page = GetDlgItem(GetDlgItem(wizard, wizard::ids::kPageHost), wizard::ids::PageId(2));
  EXPECT_EQ(CompareStringOrdinal(TextOf(GetDlgItem(page, wizard::ids::kSequenceFile)).c_str(), -1, file.c_str(), -1,
                                 TRUE), CSTR_EQUAL);
  PostMessageW(wizard, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code) && code == 0);
  EXPECT_EQ(Stamp(file), before);
}

}  // namespace
