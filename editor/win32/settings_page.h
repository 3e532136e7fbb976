// The editor's second page: Tarvoline's settings (Tarvoline.ini beside
// Tarvoline.exe in the editor's folder), one row per key with its field, unit,
// limits and what it does, and a Save button. Without Tarvoline.exe in that
// folder the page says so and its controls stay disabled.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/fileio.h"
#include "common/messages.h"
#include "common/win32/controls.h"
#include "common/win32/window.h"
#include "editor/settings_document.h"

namespace editor {

struct SettingsPageArgs {
  HINSTANCE instance = nullptr;
  FileSystem& files;
  ui::Messages& messages;
  // A question with MB_YESNO or MB_YESNOCANCEL, as the editor asks it.
  std::function<int(HWND owner, const std::wstring& text, UINT buttons)> ask;
  std::wstring folder;  // where Tarvoline.exe and its Tarvoline.ini lie
  NumberSeparators numbers;
};

class SettingsPage final : public win::Window<SettingsPage> {
 public:
  // The page's parts, by row: the control of key k is kRowParts * k + part.
  enum Part { Label, Field, Unit, Limits, About, kRowParts };

  explicit SettingsPage(SettingsPageArgs args);
  ~SettingsPage();
  SettingsPage(const SettingsPage&) = delete;
  SettingsPage& operator=(const SettingsPage&) = delete;

  // Creates the page, hidden, as a child of parent, and reads the file.
  bool Create(HWND parent);
  // Places the page over rect (parent's client pixels) and its controls at dpi.
  void Layout(const RECT& rect, UINT dpi, const win::Fonts& fonts);
  // Shown, an unchanged file is read again (Tarvoline may have completed it).
  void Show(bool shown);
  bool Shown() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
  // Saves the changed keys; false when nothing could be saved (a refused
  // field, a No to a file changed on disk, a write that failed: each said).
  bool Save();
  // Asks to save unsaved changes; false when the user cancels or the save fails.
  bool ChangesSettled();

  const SettingsDocument& Document() const { return doc_; }
  HWND ControlHandle(std::size_t key, Part part) const;
  HWND SaveButton() const;
  HWND StateLine() const;

 private:
  friend win::Window<SettingsPage>;
  static constexpr wchar_t kClassName[] = L"TVLeditorSettingsPage";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code);
  // Reads the file again and fills the fields.
  void Reload();
  void Fill();
  // The state line, the changed keys' marks and what may be used.
  void ShowState();

  SettingsPageArgs args_;
  SettingsDocument doc_;
  bool tarvolineThere_ = false;
  bool filling_ = false;
};

}  // namespace editor
