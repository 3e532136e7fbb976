// TVLTool: files dropped on the window become sequence item text on the clipboard.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "sequence/item_text.h"
#include "common/shortcut.h"
#include "common/ui_text.h"
#include "common/win32/message_boxes.h"
#include "common/win32/raii.h"
#include "droptool/texts.h"
#include "droptool/win32/drop_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  win::MessageBoxes messages(L"TVLTool");
  // Drag and drop needs OLE on this thread, not only COM.
  win::OleInit ole(SUCCEEDED(OleInitialize(nullptr)));
  if (!ole) {
    messages.Show(ui::Text(droptool::texts::kOleFailed), ui::MessageIcon::Critical);
    return 1;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  droptool::DropWindow window({instance, RealShortcutStore(), RealFileSystem(), sequence::RealClock(), messages, true});
  if (!window.Create(showCommand)) {
    messages.Show(ui::Text(droptool::texts::kWindowFailed), ui::MessageIcon::Critical);
    return 1;
  }
  messages.SetOwner(window.Handle());
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.Handle() && IsDialogMessageW(window.Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
