// The shell's dialogs. A thread timer plays the user: once a dialog is up it
// presses OK or Cancel.
#include "common/win32/shell_dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include "common/text.h"
#include "common/tests/support/temp_folder.h"

namespace {

UINT g_button = IDOK;
std::wstring g_expectName;  // the tree item to wait for before pressing; "" presses at once
int g_ticks = 0;
bool g_emptyTree = false;

// Text of the dialog tree's selected item, "" when there is none yet.
std::wstring SelectedTreeItem(HWND dialog) {
  HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
  if (!tree) return {};
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return {};
  wchar_t buf[MAX_PATH] = L"";
  TVITEMW tv{TVIF_TEXT, item, 0, 0, buf, MAX_PATH, 0, 0, 0, 0};
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return buf;
}

BOOL CALLBACK PressIfDialog(HWND hwnd, LPARAM) {
  wchar_t cls[16] = L"";
  GetClassNameW(hwnd, cls, 16);
  if (!IsWindowVisible(hwnd) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
  // Let it settle on its selection first; a loaded machine may take a while
  // to fill the tree, so wait for the expected item (at most about 20 s).
  ++g_ticks;
  const std::wstring selected = SelectedTreeItem(hwnd);
  // Wine's dialog now and then comes up with an empty tree and ignores the
  // selection sent while it initialises: cancel that one and retry. After a
  // long wait the wrong selection is pressed for the check to report.
  if (!g_expectName.empty() && selected.empty() && g_ticks >= 10) g_emptyTree = true;
  UINT press = g_emptyTree ? IDCANCEL : 0;
  if (!g_emptyTree && (g_expectName.empty() ? g_ticks >= 3 : selected == g_expectName || g_ticks >= 100))
    press = g_button;
  if (press) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, press)));
  return FALSE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), PressIfDialog, 0); }

std::optional<std::wstring> Browse(const std::wstring& initial, UINT button, const std::wstring& expectName = L"") {
  std::optional<std::wstring> path;
  for (int attempt = 0; attempt < 3; ++attempt) {
    g_button = button;
    g_expectName = expectName;
    g_ticks = 0;
    g_emptyTree = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, Tick);
    path = win::BrowseForFolder(nullptr, L"テスト", initial, 0);
    KillTimer(nullptr, timer);
    if (!g_emptyTree) break;
  }
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
    EXPECT_EQ(Browse(initial, IDOK, expected.substr(expected.find_last_of(L'\\') + 1)), expected);
  }
  EXPECT_EQ(Browse(L"", IDCANCEL), std::nullopt);
  CoUninitialize();
}

// The open and save dialogs give back the name shown at start, the save
// dialog with the default extension added to a name typed without one.
TEST(FileDialogs, GiveBackThePickedPath) {
  TempFolder t;
  const std::wstring existing = t.Write(L"plain.pmw", "");
  const std::wstring filter = L"Sequence (*.pmw)|*.pmw|All (*.*)|*.*";
  const auto pick = [&](bool save, const win::FileDialog& dialog, UINT button) {
    g_button = button;
    g_expectName.clear();
    g_ticks = 0;
    g_emptyTree = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, Tick);
    std::optional<std::wstring> path = save ? win::PickFileToSave(nullptr, dialog) : win::PickFileToOpen(nullptr, dialog);
    KillTimer(nullptr, timer);
    return path;
  };
  EXPECT_EQ(pick(false, {filter, L"テスト", existing, L"", OFN_FILEMUSTEXIST}, IDOK), existing);
  EXPECT_EQ(pick(true, {filter, L"", t / L"new", L"pmw", OFN_OVERWRITEPROMPT}, IDOK), t / L"new.pmw");
  EXPECT_EQ(pick(true, {filter, L"", t / L"new", L"pmw", 0}, IDCANCEL), std::nullopt);
}

}  // namespace
