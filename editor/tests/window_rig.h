// Test helpers (Windows builds) for the editor's window, as the user drives it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "editor/win32/editor_window.h"

namespace editor_rig {

// A click on the tab strip's page-th tab: the strip selects it and tells the window.
inline void ClickTab(editor::EditorWindow& window, int page) {
  HWND tab = window.ControlHandle(editor::Control::Pages);
  TabCtrl_SetCurSel(tab, page);
  NMHDR change{tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(window.Handle(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
}

}  // namespace editor_rig
