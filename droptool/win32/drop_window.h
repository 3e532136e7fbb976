// The drop tool's window: a label, the window-style list and the drop area.
// Files dropped on the area become item text on the clipboard.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/messages.h"
#include "common/shortcut.h"
#include "common/win32/controls.h"
#include "common/win32/raii.h"
#include "common/win32/window.h"
#include "common/win32/drop_target.h"

namespace droptool {

struct DropWindowArgs {
  HINSTANCE instance = nullptr;
  ShortcutStore& shortcuts;
  FileSystem& files;
  sequence::Clock& clock;
  ui::Messages& messages;  // the program makes them modal to this window once it exists
  // The program ends its message loop when the window is destroyed; tests do not.
  bool quitOnDestroy = true;
};

enum class Control { Instructions, ShowList, DropArea };

class DropWindow final : public win::Window<DropWindow>, private win::DropSink {
 public:
  explicit DropWindow(const DropWindowArgs& args);
  ~DropWindow() override;
  DropWindow(const DropWindow&) = delete;
  DropWindow& operator=(const DropWindow&) = delete;

  // Creates the window and its controls and registers the drop target (the
  // thread must have called OleInitialize). False when any of it fails;
  // the window is then destroyed again.
  bool Create(int showCommand);

  HWND Handle() const { return hwnd_; }
  HWND ControlHandle(Control c) const;
  // The registered drop target, for callers that deliver drops themselves.
  IDropTarget* Target() const { return target_.get(); }
  // The drop area (inside the frame) in screen coordinates.
  RECT DropAreaOnScreen() const;
  void SelectMode(int index);

 private:
  friend win::Window<DropWindow>;
  static constexpr wchar_t kClassName[] = L"TVLToolMainWindow";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool OnCreate();
  void OnDestroy();
  // The label as high as its text needs in the font of this DPI.
  void OnLayout(int width, int height);

  bool IsOverDropArea(POINTL screen) override;
  void OnFilesDropped(std::optional<std::vector<std::wstring>> files, POINTL screen) override;

  void ProcessDrop(const std::optional<std::vector<std::wstring>>& files);
  int SelectedShow() const;

  DropWindowArgs args_;
  win::ComPtr<win::DropTarget> target_;
  bool registered_ = false;
  win::DropQueue<std::optional<std::vector<std::wstring>>> drops_;
};

}  // namespace droptool
