#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "editor/tests/window_rig.h"
#include "editor/win32/editor_window.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"

namespace {

using editor::Control;
using editor::SettingsPage;

// The editor over an empty sequence, its settings page shown as a click on the tab shows it.
void OpenSettings(std::optional<editor::EditorWindow>& window, const TempFolder& dir, fake::Clock& clock,
                  fake::Messages& messages, int& asked) {
  editor::EditorWindowArgs args{GetModuleHandleW(nullptr), RealFileSystem(), clock, messages, dir / L"Startup.pmw",
                                [&asked](HWND, const std::wstring&, UINT) { return ++asked, IDNO; }, false};
  args.programFolder = dir.path();
  window.emplace(std::move(args));
  ASSERT_TRUE(window->Create(SW_SHOWNOACTIVATE));
  editor_rig::ClickTab(*window, 1);
  ASSERT_TRUE(window->Settings().Shown());
  EXPECT_FALSE(IsWindowVisible(window->ControlHandle(Control::ItemList)));
}

// Ctrl+S: the editor's Save command, which over this page saves the page.
void PressSave(editor::EditorWindow& window) {
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window.ControlHandle(Control::Save)), 1), 0);
}

TEST(SettingsPage, WritesTheChangedKeyOnlyAndStaysOffWithoutTarvoline) {
  fake::Clock clock;
  fake::Messages messages;
  int asked = 0;
  std::optional<editor::EditorWindow> window;
  {
    TempFolder dir;
    dir.Write(L"Tarvoline.exe", "");
    // A timer value beyond the page's limits stays when untouched.
    const std::string before = "; mine\r\nCPULimit=30\r\n  MaxIdleTime = 10000\r\nExtra = keep\r\nTimerInterval = 0\r\n";
    const std::wstring ini = dir.Write(L"Tarvoline.ini", before);
    OpenSettings(window, dir, clock, messages, asked);
    SettingsPage& page = window->Settings();
    HWND cpu = page.ControlHandle(0, SettingsPage::Field);
    EXPECT_EQ(tvltest::TextOf(cpu), L"30");

    // Out of its limits: said at once, refused by Save, nothing written.
    SetWindowTextW(cpu, L"150");
    SendMessageW(page.SaveButton(), BM_CLICK, 0, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(TempFolder::Read(ini), before);

    SetWindowTextW(cpu, L"45");
    PressSave(*window);
    EXPECT_EQ(TempFolder::Read(ini), "; mine\r\nCPULimit=45\r\n  MaxIdleTime = 10000\r\nExtra = keep\r\nTimerInterval = 0\r\n");
    // The sequence file was left alone, and closing asks nothing.
    EXPECT_TRUE(TempFolder::Read(dir / L"Startup.pmw").empty());
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 0);
    window.reset();
  }
  TempFolder dir;
  const std::wstring ini = dir.Write(L"Tarvoline.ini", "CPULimit=30\r\n");
  OpenSettings(window, dir, clock, messages, asked);
  SettingsPage& page = window->Settings();
  EXPECT_FALSE(IsWindowEnabled(page.ControlHandle(0, SettingsPage::Field)));
  EXPECT_FALSE(IsWindowEnabled(page.SaveButton()));
  EXPECT_NE(tvltest::TextOf(page.StateLine()).find(L"Tarvoline.exe"), std::wstring::npos);
  SetWindowTextW(page.ControlHandle(0, SettingsPage::Field), L"45");
  PressSave(*window);
  EXPECT_EQ(TempFolder::Read(ini), "CPULimit=30\r\n");
  window.reset();
}

}  // namespace
