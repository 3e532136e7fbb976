// The editor's window: the items of one sequence file in a list with check
// boxes, the fields of the selected item, buttons for order, copy and paste,
// undo and saving, and a status line.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/messages.h"
#include "common/win32/controls.h"
#include "common/win32/drop_target.h"
#include "common/win32/raii.h"
#include "common/win32/window.h"
#include "editor/sequence_document.h"
#include "editor/win32/findings_scheduler.h"
#include "editor/win32/item_list_view.h"
#include "sequence/launch_system.h"
#include "editor/win32/logon_page.h"
#include "editor/win32/settings_page.h"

namespace editor {

struct EditorWindowArgs {
  HINSTANCE instance = nullptr;
  FileSystem& files;
  sequence::Clock& clock;
  ui::Messages& messages;
  std::wstring path;  // the sequence file
  // A question with MB_YESNO or MB_YESNOCANCEL; gives IDYES, IDNO or IDCANCEL.
  // Tests answer in place of the message box.
  std::function<int(HWND owner, const std::wstring& text, UINT buttons)> ask;
  bool quitOnDestroy = true;
  // What Try starts items through; null for the system's.
  LaunchSystem* launch = nullptr;
  // Where Tarvoline.exe and its settings are looked for; "" for the editor's own folder.
  std::wstring programFolder = {};
};

// The controls; their ids are also the commands of the buttons and keys.
enum class Control {
  ItemList, MoveUp, MoveDown, Remove, Duplicate, Copy, Paste, Undo, Redo, Save, SaveAs, Open, AddProgram,
  TitleLabel, Title, FileLabel, File, WorkingFolderLabel, WorkingFolder, ArgumentsLabel, Arguments, ShowLabel, Show, SwitchedOn,
  BrowseFile, BrowseFolder, Try,
  DroppedLabel, Dropped,  // the window style for dropped plain files
  Recheck,  // F5: no control of its own
  NextPage, PreviousPage,  // Ctrl+Tab, Ctrl+Shift+Tab: neither has a control
  Status,
  Pages  // the tab strip: the items, Tarvoline's settings, or its log-on runs
};

class EditorWindow final : public win::Window<EditorWindow>, private win::DropSink {
 public:
  explicit EditorWindow(EditorWindowArgs args);
  ~EditorWindow() override;
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Creates the window over the file (a message when it cannot be read).
  bool Create(int showCommand);
  HWND Handle() const { return hwnd_; }
  HWND ControlHandle(Control c) const;
  const SequenceDocument& Document() const { return doc_; }
  SettingsPage& Settings() { return settings_; }
  LogonPage& Logon() { return logon_; }
  // The drop target files from the shell arrive through (the thread must have
  // called OleInitialize; without it only WM_DROPFILES brings them).
  IDropTarget* Target() const { return target_.get(); }
  // The row the insertion mark stands before while rows or files are dragged.
  std::optional<std::size_t> InsertMark() const { return list_.InsertMark(); }
  // The message loop's keys: Ctrl+S, F9 and Alt+Up/Down everywhere, the list's
  // Ctrl+C/V/Z/Y and Del unless a text field has the focus.
  bool TranslateKeys(MSG& msg);

 private:
  friend win::Window<EditorWindow>;
  static constexpr wchar_t kClassName[] = L"TVLeditorMainWindow";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool OnCreate();
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  void OnClose();
  // The list's column widths and images at the window's DPI.
  void MakeDpiResources();
  // The settings page over the client area of width × height pixels below the tabs.
  void OnLayout(int width, int height);
  // Saves to the file open ("" ) or to another; false when nothing was saved.
  // A file changed on disk is overwritten or reloaded as the user answers; one
  // that could not be read when opened is saved only elsewhere.
  bool OnSave(const std::wstring& path = L"");
  bool OnSaveAs();
  void OnOpen();
  // Shows the file's items (a message when it cannot be read).
  void OpenFile(const std::wstring& path);
  void OnAddProgram();
  // Asks to save unsaved changes; false when the user cancels or the save fails.
  bool ChangesSettled();
  // The file the user picks in the open or save dialog; "" when cancelled.
  std::wstring PickFile(unsigned filter, bool save);
  void OnPaste();
  void OnFieldChanged(Control c);
  // Starts the selected item as a run would; the outcome in the status line.
  void OnTry();

  // Files, folders and shortcuts dropped from the shell become items where
  // they are dropped, by the drop tool's rule: through OLE (with the
  // insertion mark while they are dragged) or WM_DROPFILES.
  bool IsOverDropArea(POINTL screen) override;
  void OnDragOver(POINTL screen) override;
  void OnDragLeave() override;
  void OnFilesDropped(std::optional<std::vector<std::wstring>> files, POINTL screen) override;
  void OnDropFiles(HDROP drop);
  void AddDropped(const std::vector<std::wstring>& paths, std::size_t row);
  // The Size a dropped plain file gets: the user's choice, by the drop tool's rule.
  int DroppedFileShow() const;
  // Rows dragged within the list are let go: moved where the mark stood.
  void OnDragEnd(bool drop, POINT inWindow);

  // After any change: the list's rows, the fields, the caption, the status.
  void Refresh(const std::vector<std::size_t>& select);
  void FillFields();
  void ShowState();
  // The tab strip's page: the items, the settings or the log-on runs.
  enum class Page { Items, Settings, Logon };
  static constexpr int kPages = static_cast<int>(Page::Logon) + 1;
  void ShowPage(Page page);
  // The next tab (step 1) or the previous one (-1), round the strip.
  void StepPage(int step);
  // The item at a run's position (switched-off rows not counted) shown and
  // selected on the items page.
  void ShowItem(int position);
  // The row's start-up impact at the newest log-on; "" when unknown.
  std::wstring ImpactOf(std::size_t row) const;

  EditorWindowArgs args_;
  SequenceDocument doc_;
  bool filling_ = false;  // the fields are being filled, not typed in
  HACCEL allKeys_ = nullptr, fieldKeys_ = nullptr;
  FindingsScheduler findings_;
  ItemListView list_;
  win::ComPtr<win::DropTarget> target_;
  bool registered_ = false;
  // Drops taken by the target (the paths and the row they go before),
  // handled after it has returned to the source.
  using PendingDrop = std::pair<std::vector<std::wstring>, std::size_t>;
  win::DropQueue<PendingDrop> drops_;
  SettingsPage settings_;
  LogonPage logon_;
};

}  // namespace editor
