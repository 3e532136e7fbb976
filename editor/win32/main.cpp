// TVLeditor: the items of a sequence file in a window, to order, switch,
// fix and add, saved changing only what the user changed.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "sequence/item_text.h"
#include "common/path_rules.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "common/win32/message_boxes.h"
#include "common/win32/program_info.h"
#include "editor/texts.h"
#include "editor/win32/editor_window.h"
#include "sequence/sequence_file.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCommand) {
  win::MessageBoxes messages(L"TVL Editor");
  // The folder browser needs COM on this thread, the list's drop target OLE.
  const HRESULT ole = OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  // The file named on the command line as Tarvoline takes it, else
  // Tarvoline's default beside the editor.
  std::wstring path = text::StripQuotes(text::Trim(arguments ? arguments : L""));
  if (path.empty()) path = paths::Join(win::ProgramFolder(), sequence::kDefaultSequenceName);

  editor::EditorWindow window({instance, RealFileSystem(), sequence::RealClock(), messages, path,
                               [](HWND owner, const std::wstring& text, UINT buttons) {
                                 return MessageBoxW(owner, text.c_str(), L"TVL Editor", buttons);
                               },
                               true});
  if (!window.Create(showCommand)) {
    messages.Show(ui::Text(editor::texts::kWindowFailed), ui::MessageIcon::Critical);
    return 1;
  }
  messages.SetOwner(window.Handle());
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.Handle() && window.TranslateKeys(msg)) continue;
    if (window.Handle() && IsDialogMessageW(window.Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return static_cast<int>(msg.wParam);
}
