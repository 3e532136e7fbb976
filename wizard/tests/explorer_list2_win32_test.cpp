// The shell's folder browse dialog. A thread timer plays the user: once the
// dialog is up it presses OK or Cancel.
#include "win32/explorer_list2.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "temp_folder.h"

namespace {

UINT g_button = IDOK;
int g_ticks = 0;

BOOL CALLBACK PressIfDialog(HWND hwnd, LPARAM) {
  wchar_t cls[16] = L"";
  GetClassNameW(hwnd, cls, 16);
  if (!IsWindowVisible(hwnd) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
  if (++g_ticks >= 3)  // let it settle on its selection first
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(g_button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, g_button)));
  return FALSE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), PressIfDialog, 0); }

std::wstring Browse(const std::wstring& initial, UINT button, std::wstring& displayName) {
  g_button = button;
  g_ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 200, Tick);
  std::wstring path = ExplorerList2::BrowseForFolder(nullptr, nullptr, initial, 0, L"テスト", displayName);
  KillTimer(nullptr, timer);
  return path;
}

TEST(BrowseDialog, PreselectsTheFolderAndReturnsItsPathUnchanged) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TempFolder t;
  const std::wstring plain = t / L"plain";
  std::wstring jp = t / L"日本語のフォルダ";  // needs the emulator's Unix locale
  ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
  if (!CreateDirectoryW(jp.c_str(), nullptr)) CreateDirectoryW((jp = t / L"second").c_str(), nullptr);
  // Two calls in a row with different folders select each call's own.
  const std::pair<std::wstring, std::wstring> cases[] = {{jp + L"\\", jp}, {plain, plain}, {jp, jp}};
  for (const auto& [initial, expected] : cases) {
    SCOPED_TRACE(text::ToUtf8(initial));
    std::wstring name;
    EXPECT_EQ(Browse(initial, IDOK, name), expected);
    EXPECT_EQ(ExplorerList2::BrowseInitialFolder, expected + L'\0');
    EXPECT_FALSE(name.empty());
  }
  std::wstring name = L"stale";
  EXPECT_EQ(Browse(L"", IDCANCEL, name), L"");
  EXPECT_EQ(name, L"");
  EXPECT_EQ(ExplorerList2::BrowseInitialFolder, L"");
  CoUninitialize();
}

}  // namespace
