#include "editor/win32/editor_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>
#include <shlobj.h>

#include <algorithm>
#include <iterator>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "common/win32/clipboard.h"
#include "common/win32/dpi.h"
#include "common/win32/drop_files.h"
#include "common/win32/program_info.h"
#include "common/win32/resource_ids.h"
#include "common/win32/shell_dialogs.h"
#include "editor/row_findings.h"
#include "editor/texts.h"
#include "sequence/win32/launch_system_win32.h"

namespace editor {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// Layout at 96 DPI: the design's client size, which is also the smallest
// width; the list may shrink to kListMinHeight before the window stops.
constexpr win::Size96 kClientSize{640, 468};
constexpr int kListHeight = 200;
// Also leaves the settings page its rows (36 + 8 rows of 40 + 8, below the tabs).
constexpr int kListMinHeight = 140;

constexpr UINT kProcessDrops = WM_APP + 1;
using win::IdOf;

constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

// How the controls follow the window's size: the list takes the extra width
// and height; the rest keep their size below it, the file buttons at the
// right edge, the tab strip and the status line widening with the window.
constexpr unsigned kTopWide = win::kAnchorLeft | win::kAnchorTop | win::kAnchorRight;
constexpr unsigned kBottomLeft = win::kAnchorLeft | win::kAnchorBottom;
constexpr unsigned kBottomRight = win::kAnchorRight | win::kAnchorBottom;
constexpr unsigned kBottomWide = win::kAnchorLeft | win::kAnchorRight | win::kAnchorBottom;

constexpr win::ControlSpec kControls[] = {
    {WC_TABCONTROLW, 0, WS_VISIBLE | WS_TABSTOP | TCS_TABS, 0, IdOf(Control::Pages), {8, 6, 624, 24}, kTopWide},
    {WC_LISTVIEWW, 0, WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
     WS_EX_CLIENTEDGE, IdOf(Control::ItemList), {8, 36, 624, kListHeight}, win::kAnchorAll},
    {L"BUTTON", texts::kMoveUp, kButton, 0, IdOf(Control::MoveUp), {8, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kMoveDown, kButton, 0, IdOf(Control::MoveDown), {82, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kRemove, kButton, 0, IdOf(Control::Remove), {156, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kDuplicate, kButton, 0, IdOf(Control::Duplicate), {230, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kCopy, kButton, 0, IdOf(Control::Copy), {304, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kPaste, kButton, 0, IdOf(Control::Paste), {378, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kUndo, kButton, 0, IdOf(Control::Undo), {452, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kRedo, kButton, 0, IdOf(Control::Redo), {526, 244, 70, 24}, kBottomLeft},
    {L"BUTTON", texts::kAddProgram, kButton, 0, IdOf(Control::AddProgram), {272, 438, 70, 24}, kBottomRight},
    {L"BUTTON", texts::kOpen, kButton, 0, IdOf(Control::Open), {346, 438, 70, 24}, kBottomRight},
    {L"BUTTON", texts::kSaveAs, kButton, 0, IdOf(Control::SaveAs), {420, 438, 138, 24}, kBottomRight},
    {L"BUTTON", texts::kSave, kButton, 0, IdOf(Control::Save), {562, 438, 70, 24}, kBottomRight},
    {L"STATIC", texts::kLabelTitle, kLabel, 0, IdOf(Control::TitleLabel), {8, 283, 112, 18}, kBottomLeft},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::Title), {124, 280, 508, 22}, kBottomLeft},
    {L"STATIC", texts::kLabelFile, kLabel, 0, IdOf(Control::FileLabel), {8, 309, 112, 18}, kBottomLeft},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::File), {124, 306, 476, 22}, kBottomLeft},
    {L"BUTTON", texts::kBrowse, kButton, 0, IdOf(Control::BrowseFile), {604, 306, 28, 22}, kBottomLeft},
    {L"STATIC", texts::kLabelCurrent, kLabel, 0, IdOf(Control::WorkingFolderLabel), {8, 335, 112, 18}, kBottomLeft},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::WorkingFolder), {124, 332, 476, 22}, kBottomLeft},
    {L"BUTTON", texts::kBrowse, kButton, 0, IdOf(Control::BrowseFolder), {604, 332, 28, 22}, kBottomLeft},
    {L"STATIC", texts::kLabelOption, kLabel, 0, IdOf(Control::ArgumentsLabel), {8, 361, 112, 18}, kBottomLeft},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::Arguments), {124, 358, 508, 22}, kBottomLeft},
    {L"STATIC", texts::kLabelSize, kLabel, 0, IdOf(Control::ShowLabel), {8, 387, 112, 18}, kBottomLeft},
    {L"COMBOBOX", 0, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdOf(Control::Show), {124, 384, 240, 160}, kBottomLeft},
    {L"BUTTON", texts::kSwitchedOn, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, IdOf(Control::SwitchedOn), {380, 385, 160, 20}, kBottomLeft},
    {L"BUTTON", texts::kTry, kButton, 0, IdOf(Control::Try), {544, 382, 88, 24}, kBottomLeft},
    {L"STATIC", texts::kLabelDropped, kLabel, 0, IdOf(Control::DroppedLabel), {8, 413, 176, 18}, kBottomLeft},
    {L"COMBOBOX", 0, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdOf(Control::Dropped), {188, 410, 176, 120}, kBottomLeft},
    {L"STATIC", 0, kLabel | SS_NOPREFIX | SS_ENDELLIPSIS, 0, IdOf(Control::Status), {8, 442, 262, 18}, kBottomWide},
};

// Both pages look for Tarvoline.exe in one folder: the one given, else the editor's own.
EditorWindowArgs WithProgramFolder(EditorWindowArgs args) {
  if (args.programFolder.empty()) args.programFolder = win::ProgramFolder();
  return args;
}

// The show states the window-style list names, in its order.
constexpr int kShows[] = {show::kHide,       show::kNormal,     show::kMinimized,
                          show::kMaximized,  show::kNoActivate, show::kMinimizedNoActivate};
constexpr unsigned kShowTexts[] = {texts::kSize0, texts::kSize1, texts::kSize2, texts::kSize3, texts::kSize4, texts::kSize6};
constexpr Control kFields[] = {Control::Title,  Control::File,       Control::WorkingFolder,     Control::Arguments,
                               Control::Show,   Control::SwitchedOn, Control::BrowseFile, Control::BrowseFolder,
                               Control::Try};

// The first kFieldKeys also work while the focus is in a text field, where
// the others are the field's own.
constexpr int kFieldKeys = 9;

HACCEL Keys(bool all) {
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'S', static_cast<WORD>(IdOf(Control::Save))},
      {FVIRTKEY, VK_F9, static_cast<WORD>(IdOf(Control::Try))},
      {FVIRTKEY, VK_F5, static_cast<WORD>(IdOf(Control::Recheck))},
      {FVIRTKEY | FALT, VK_UP, static_cast<WORD>(IdOf(Control::MoveUp))},
      {FVIRTKEY | FALT, VK_DOWN, static_cast<WORD>(IdOf(Control::MoveDown))},
      // A tab strip without a property sheet around it switches on no key of its own.
      {FVIRTKEY | FCONTROL, VK_TAB, static_cast<WORD>(IdOf(Control::NextPage))},
      {FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, static_cast<WORD>(IdOf(Control::PreviousPage))},
      {FVIRTKEY | FCONTROL, VK_NEXT, static_cast<WORD>(IdOf(Control::NextPage))},
      {FVIRTKEY | FCONTROL, VK_PRIOR, static_cast<WORD>(IdOf(Control::PreviousPage))},
      {FVIRTKEY | FCONTROL, 'C', static_cast<WORD>(IdOf(Control::Copy))},
      {FVIRTKEY | FCONTROL, 'V', static_cast<WORD>(IdOf(Control::Paste))},
      {FVIRTKEY | FCONTROL, 'Z', static_cast<WORD>(IdOf(Control::Undo))},
      {FVIRTKEY | FCONTROL, 'Y', static_cast<WORD>(IdOf(Control::Redo))},
      {FVIRTKEY, VK_DELETE, static_cast<WORD>(IdOf(Control::Remove))},
  };
  return CreateAcceleratorTableW(keys, all ? static_cast<int>(std::size(keys)) : kFieldKeys);
}

}  // namespace

EditorWindow::EditorWindow(EditorWindowArgs args)
    : args_(WithProgramFolder(std::move(args))),
      doc_(args_.files, args_.clock),
      findings_(doc_, args_.files),
      list_(doc_, findings_, [this](std::size_t row) { return ImpactOf(row); }),
      settings_({args_.instance, args_.files, args_.messages, args_.ask, args_.programFolder, UserNumberSeparators()}),
      logon_({args_.instance, args_.files, args_.messages, args_.programFolder,
              [this](int position) { ShowItem(position); }}) {}

EditorWindow::~EditorWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (allKeys_) DestroyAcceleratorTable(allKeys_);
  if (fieldKeys_) DestroyAcceleratorTable(fieldKeys_);
}

bool EditorWindow::Create(int showCommand) {
  if (!RegisterClassOnce(args_.instance)) return false;
  const bool read = doc_.Open(args_.path);
  allKeys_ = Keys(true);
  fieldKeys_ = Keys(false);
  if (!CreateFrame(args_.instance, kExStyle, L"", kStyle, kClientSize)) return false;
  Refresh({0});
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  if (!read) args_.messages.Show(ui::Format(ui::Text(texts::kUnreadable), {args_.path}), ui::MessageIcon::Critical);
  return true;
}

HWND EditorWindow::ControlHandle(Control c) const { return controls_.Find(IdOf(c)); }

bool EditorWindow::TranslateKeys(MSG& msg) {
  wchar_t cls[16] = L"";
  GetClassNameW(GetFocus(), cls, 16);
  const bool inField = _wcsicmp(cls, L"Edit") == 0 || _wcsicmp(cls, L"ComboBox") == 0;
  return TranslateAcceleratorW(hwnd_, inField ? fieldKeys_ : allKeys_, &msg) != 0;
}

LRESULT EditorWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_MOUSEMOVE:
      if (list_.Dragging()) list_.OnDragMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_LBUTTONUP:
      if (list_.Dragging()) OnDragEnd(true, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_CAPTURECHANGED:
      if (list_.Dragging() && reinterpret_cast<HWND>(lp) != hwnd_) OnDragEnd(false, {});
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case kProcessDrops:
      drops_.Drain([this](const PendingDrop& drop) { AddDropped(drop.first, drop.second); });
      return 0;
    case WM_TIMER:
      if (wp == FindingsScheduler::kTimer && findings_.OnTimer(hwnd_)) ShowState();
      if (wp == ItemListView::kIconTimer) list_.OnIconTimer();
      return 0;
    case WM_DESTROY:
      findings_.Stop(hwnd_);
      KillTimer(hwnd_, ItemListView::kIconTimer);
      if (registered_) RevokeDragDrop(hwnd_);
      registered_ = false;
      if (target_) target_.get()->Detach();
      if (args_.quitOnDestroy) PostQuitMessage(0);
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE least = win::OuterSize(kStyle, kExStyle, Scale(kClientSize.width),
                                        Scale(kClientSize.height - kListHeight + kListMinHeight), dpi_);
      reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{least.cx, least.cy};
      return 0;
    }
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

bool EditorWindow::OnCreate() {
  if (!controls_.Create(hwnd_, kControls)) return false;
  list_.Attach(ControlHandle(Control::ItemList), hwnd_);
  HWND size = ControlHandle(Control::Show);
  for (unsigned t : kShowTexts) SendMessageW(size, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Text(t).c_str()));
  for (unsigned page : {texts::kPageItems, texts::kPageSettings, texts::kPageLogon}) {
    std::wstring name = ui::Text(page);
    TCITEMW tab{TCIF_TEXT, 0, 0, name.data(), 0, 0, 0};
    TabCtrl_InsertItem(ControlHandle(Control::Pages), TabCtrl_GetItemCount(ControlHandle(Control::Pages)), &tab);
  }
  if (!settings_.Create(hwnd_) || !logon_.Create(hwnd_)) return false;
  // The drop tool's choice for plain files, named as the Size field names them.
  HWND dropped = ControlHandle(Control::Dropped);
  for (int d : sequence::kDroppedFileShows)
    for (std::size_t i = 0; i < std::size(kShows); ++i)
      if (kShows[i] == d) SendMessageW(dropped, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Text(kShowTexts[i]).c_str()));
  SendMessageW(dropped, CB_SETCURSEL, 0, 0);
  // OLE's drop shows where files will go; WM_DROPFILES is kept for a
  // thread without OLE.
  DragAcceptFiles(hwnd_, TRUE);
  target_.reset(new win::DropTarget(this));
  registered_ = SUCCEEDED(RegisterDragDrop(hwnd_, target_.get()));
  return true;
}

void EditorWindow::MakeDpiResources() { list_.ApplyDpi(dpi_); }

// The other pages lie over everything below the tab strip.
void EditorWindow::OnLayout(int width, int height) {
  const RECT below{0, Scale(kControls[0].rect.y + kControls[0].rect.height + 4), width, height};
  settings_.Layout(below, dpi_, fonts_);
  logon_.Layout(below, dpi_, fonts_);
}

void EditorWindow::Refresh(const std::vector<std::size_t>& select) {
  findings_.Restart(hwnd_, false);
  list_.ShowRows(select);
  FillFields();
  ShowState();
}

// The caption marks unsaved changes; the status line counts the items.
void EditorWindow::ShowState() {
  const std::wstring caption = (doc_.Modified() ? L"*" : L"") + paths::FileName(doc_.Path()) + L" - " +
                               win::VersionCaption(L"TVL Editor");
  SetWindowTextW(hwnd_, caption.c_str());
  const std::optional<std::size_t> total = findings_.Total();
  const std::wstring found = total ? std::to_wstring(*total) : L"\u2026";  // or still being checked
  const std::wstring status = ui::Format(ui::Text(texts::kStatus), {std::to_wstring(doc_.Count()),
                                                                    std::to_wstring(doc_.SwitchedOffCount()), found});
  SetWindowTextW(ControlHandle(Control::Status), status.c_str());
  EnableWindow(ControlHandle(Control::Undo), doc_.CanUndo());
  EnableWindow(ControlHandle(Control::Redo), doc_.CanRedo());
}

// The fields show the first selected item; with none they are empty and off.
void EditorWindow::FillFields() {
  const std::vector<std::size_t> rows = list_.SelectedRows();
  const bool any = !rows.empty();
  const ItemView none{};
  const ItemView& v = any ? doc_.At(rows.front()).view : none;
  filling_ = true;
  SetWindowTextW(ControlHandle(Control::Title), v.title.c_str());
  SetWindowTextW(ControlHandle(Control::File), v.file.c_str());
  SetWindowTextW(ControlHandle(Control::WorkingFolder), v.workingFolder.c_str());
  SetWindowTextW(ControlHandle(Control::Arguments), v.arguments.c_str());
  int index = -1;
  for (int i = 0; i < static_cast<int>(std::size(kShows)); ++i)
    if (any && kShows[i] == v.show) index = i;
  SendMessageW(ControlHandle(Control::Show), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(ControlHandle(Control::SwitchedOn), BM_SETCHECK, any && v.switchedOn ? BST_CHECKED : BST_UNCHECKED, 0);
  for (Control c : kFields) EnableWindow(ControlHandle(c), any);
  filling_ = false;
}

void EditorWindow::OnFieldChanged(Control c) {
  const std::vector<std::size_t> rows = list_.SelectedRows();
  if (filling_ || rows.empty()) return;
  const std::size_t row = rows.front();
  HWND h = ControlHandle(c);
  switch (c) {
    case Control::Title: doc_.SetText(row, Field::Title, win::WindowText(h)); break;
    case Control::File: doc_.SetText(row, Field::File, win::WindowText(h)); break;
    case Control::WorkingFolder: doc_.SetText(row, Field::Current, win::WindowText(h)); break;
    case Control::Arguments: doc_.SetText(row, Field::Option, win::WindowText(h)); break;
    case Control::Show: {
      const LRESULT i = SendMessageW(h, CB_GETCURSEL, 0, 0);
      if (i >= 0 && i < static_cast<LRESULT>(std::size(kShows))) doc_.SetShow(row, kShows[i]);
      break;
    }
    default: doc_.SetSwitchedOn(row, SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED); break;
  }
  // The row and the status follow; the field being typed in keeps its text.
  findings_.Restart(hwnd_, false);
  list_.Redraw();
  ShowState();
  // Text the file cannot hold is told at once; the save refuses it.
  if (c != Control::Show && c != Control::SwitchedOn && !text::ToAnsiExact(win::WindowText(h)))
    SetWindowTextW(ControlHandle(Control::Status), ui::Text(texts::kFieldNotInCodePage).c_str());
}

void EditorWindow::OnCommand(int id, int code) {
  const Control c = win::ControlOf<Control>(id);
  if (c >= Control::TitleLabel && c <= Control::SwitchedOn) {
    if (code == EN_CHANGE || code == CBN_SELCHANGE || code == BN_CLICKED) OnFieldChanged(c);
    return;
  }
  if (c == Control::NextPage || c == Control::PreviousPage) {
    StepPage(c == Control::NextPage ? 1 : -1);
    return;
  }
  // Over the other pages the item commands rest; Ctrl+S saves the settings.
  if (settings_.Shown() || logon_.Shown()) {
    if (c == Control::Save && settings_.Shown()) settings_.Save();
    return;
  }
  const std::vector<std::size_t> rows = list_.SelectedRows();
  switch (c) {
    case Control::MoveUp: Refresh(doc_.Move(rows, -1)); break;
    case Control::MoveDown: Refresh(doc_.Move(rows, 1)); break;
    case Control::Remove:
      doc_.Remove(rows);
      Refresh({rows.empty() ? 0 : std::min(rows.front(), doc_.Count() ? doc_.Count() - 1 : 0)});
      break;
    case Control::Duplicate: Refresh(doc_.Duplicate(rows)); break;
    case Control::Copy:
      if (!rows.empty()) win::SetClipboardText(hwnd_, doc_.Copy(rows));
      break;
    case Control::Paste: OnPaste(); break;
    case Control::Undo: doc_.Undo(); Refresh(rows); break;
    case Control::Redo: doc_.Redo(); Refresh(rows); break;
    case Control::Save: OnSave(); break;
    case Control::SaveAs: OnSaveAs(); break;
    case Control::Open: OnOpen(); break;
    case Control::AddProgram: OnAddProgram(); break;
    case Control::BrowseFile:
      if (const std::wstring file = PickFile(texts::kProgramFilter, false); !file.empty())
        SetWindowTextW(ControlHandle(Control::File), file.c_str());
      break;
    case Control::BrowseFolder:
      if (const std::optional<std::wstring> folder = win::BrowseForFolder(
              hwnd_, ui::Text(texts::kPickFolder), L"", BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE))
        SetWindowTextW(ControlHandle(Control::WorkingFolder), folder->c_str());
      break;
    case Control::Try: OnTry(); break;
    case Control::Recheck:
      // A program installed since may have brought its icon too.
      findings_.Restart(hwnd_, true);
      list_.Redraw(true);
      ShowState();
      break;
    default: break;
  }
}

void EditorWindow::OnTry() {
  const std::vector<std::size_t> rows = list_.SelectedRows();
  if (rows.empty()) return;
  const ItemView& v = doc_.At(rows.front()).view;
  const ItemStart start =
      StartSequenceItem(args_.launch ? *args_.launch : RealLaunchSystem(), hwnd_, AsSequenceItem(v));
  const std::wstring name = paths::FileName(v.file);
  std::wstring said;
  switch (start.outcome) {
    case ItemStart::FolderNotEntered: said = ui::Format(ui::Text(texts::kTryFolder), {v.workingFolder}); break;
    case ItemStart::EmptyFile: said = ui::Text(texts::kTryEmptyFile); break;
    case ItemStart::BadSize: said = ui::Text(texts::kTryBadSize); break;
    case ItemStart::Failed: said = ui::Format(ui::Text(texts::kTryFailed), {name, start.result.error}); break;
    case ItemStart::NotOpened: said = ui::Format(ui::Text(texts::kTryNotOpened), {name}); break;
    case ItemStart::Started:
    case ItemStart::Opened:
      // The shell hands back a process only for some documents.
      said = start.result.processId
                 ? ui::Format(ui::Text(texts::kTryStarted), {name, std::to_wstring(start.result.processId)})
                 : ui::Format(ui::Text(texts::kTryOpened), {name});
      break;
  }
  SetWindowTextW(ControlHandle(Control::Status), said.c_str());
}

void EditorWindow::OnPaste() {
  const std::vector<std::size_t> rows = list_.SelectedRows();
  const std::wstring text = win::ClipboardText(hwnd_).value_or(L"");
  if (!SequenceDocument::CanPaste(text)) {
    args_.messages.Show(ui::Format(ui::Text(texts::kPasteTooLarge), {std::to_wstring(SequenceDocument::kPasteChars)}),
                        ui::MessageIcon::Warning);
    return;
  }
  // Pasted items go before the first selected one, else at the end.
  const std::vector<std::size_t> added = doc_.Paste(rows.empty() ? doc_.Count() : rows.front(), text);
  if (added.empty()) {
    args_.messages.Show(ui::Text(texts::kNothingToPaste), ui::MessageIcon::Information);
    return;
  }
  Refresh(added);
}

void EditorWindow::ShowPage(Page page) {
  // The strip shows it too, where the page was chosen otherwise than on it.
  TabCtrl_SetCurSel(ControlHandle(Control::Pages), static_cast<int>(page));
  const bool items = page == Page::Items;
  for (const win::ControlSpec& spec : kControls)
    if (spec.id != IdOf(Control::Pages)) ShowWindow(controls_.Find(spec.id), items ? SW_SHOW : SW_HIDE);
  settings_.Show(page == Page::Settings);
  logon_.Show(page == Page::Logon);
}

void EditorWindow::StepPage(int step) {
  const HWND tabs = ControlHandle(Control::Pages);
  ShowPage(static_cast<Page>((std::max(TabCtrl_GetCurSel(tabs), 0) + step + kPages) % kPages));
  // The focus must not stay on a control the old page hid.
  if (!IsWindowVisible(GetFocus())) SetFocus(tabs);
}

void EditorWindow::ShowItem(int position) {
  ShowPage(Page::Items);
  // The run's position may be past the items the file holds now.
  if (const std::optional<std::size_t> row = doc_.RowOfRunPosition(position)) {
    list_.Select({*row});
    FillFields();
  }
  SetFocus(ControlHandle(Control::ItemList));
}

std::wstring EditorWindow::ImpactOf(std::size_t row) const {
  const std::optional<int> position = doc_.RunPosition(row);
  if (logon_.Runs().empty() || !position) return L"";
  const timeline::Run& newest = logon_.Runs().front();
  const std::optional<std::size_t> item = chart::ItemAt(newest, *position, doc_.At(row).view.file);
  return item ? chart::ImpactText(newest.items[*item]) : L"";
}

LRESULT EditorWindow::OnNotify(NMHDR* header) {
  if (header->idFrom == static_cast<UINT_PTR>(IdOf(Control::Pages))) {
    if (header->code == TCN_SELCHANGE) ShowPage(static_cast<Page>(std::clamp(TabCtrl_GetCurSel(header->hwndFrom), 0, kPages - 1)));
    return 0;
  }
  if (header->idFrom != static_cast<UINT_PTR>(IdOf(Control::ItemList))) return 0;
  if (const std::optional<LRESULT> answered = list_.OnNotify(header)) return *answered;
  switch (header->code) {
    case LVN_ITEMCHANGED:
      if (reinterpret_cast<NMLISTVIEW*>(header)->uChanged & LVIF_STATE) FillFields();
      return 0;
    case NM_CLICK: {
      // A click on a check box switches its item.
      const POINT at = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
      if (const std::optional<std::size_t> row = list_.CheckBoxAt(at)) {
        doc_.SetSwitchedOn(*row, !doc_.At(*row).view.switchedOn);
        Refresh(list_.SelectedRows());
      }
      return 0;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) {
        const std::vector<std::size_t> rows = list_.SelectedRows();
        for (std::size_t r : rows) doc_.SetSwitchedOn(r, !doc_.At(r).view.switchedOn);
        Refresh(rows);
      }
      return 0;
    default:
      return 0;
  }
}

void EditorWindow::OnDragEnd(bool drop, POINT inWindow) {
  if (const std::optional<std::size_t> before = list_.EndDrag(drop, inWindow))
    Refresh(doc_.MoveTo(list_.SelectedRows(), *before));
}

int EditorWindow::DroppedFileShow() const {
  const LRESULT i = SendMessageW(ControlHandle(Control::Dropped), CB_GETCURSEL, 0, 0);
  return i >= 0 && i < static_cast<LRESULT>(std::size(sequence::kDroppedFileShows)) ? sequence::kDroppedFileShows[i]
                                                                                    : sequence::kDroppedFileShows[0];
}

void EditorWindow::OnDropFiles(HDROP drop) {
  POINT at{};
  DragQueryPoint(drop, &at);
  // The block is the drop's file list (CF_HDROP), read as an OLE drop's is.
  const std::vector<std::wstring> paths =
      win::FileListIn(reinterpret_cast<HGLOBAL>(drop)).value_or(std::vector<std::wstring>{});
  DragFinish(drop);
  ClientToScreen(hwnd_, &at);
  AddDropped(paths, list_.DropRowAt(at));
}

bool EditorWindow::IsOverDropArea(POINTL screen) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return PtInRect(&r, POINT{screen.x, screen.y});
}

void EditorWindow::OnDragOver(POINTL screen) { list_.ShowInsertMark(list_.DropRowAt(POINT{screen.x, screen.y})); }

void EditorWindow::OnDragLeave() { list_.ShowInsertMark(std::nullopt); }

void EditorWindow::OnFilesDropped(std::optional<std::vector<std::wstring>> files, POINTL screen) {
  if (!files || files->empty()) return;
  drops_.Add(hwnd_, kProcessDrops, PendingDrop(std::move(*files), list_.DropRowAt(POINT{screen.x, screen.y})));
}

void EditorWindow::AddDropped(const std::vector<std::wstring>& paths, std::size_t row) {
  std::vector<SequenceDocument::NewItem> items;
  std::vector<std::wstring> leftOut;
  for (const std::wstring& path : paths) {
    const sequence::DroppedItem d = sequence::ItemFromDropped(path, DroppedFileShow(), RealShortcutStore(), args_.files);
    if (d.status == sequence::DroppedItem::Ok)
      items.push_back({d.title, d.texts.file, d.texts.workingFolder, d.texts.arguments, d.show});
    else
      leftOut.push_back(path);
  }
  if (!items.empty()) Refresh(doc_.Add(row, items));
  if (!leftOut.empty())
    args_.messages.Show(ui::HeadingWithNames(ui::Text(texts::kDropLeftOut), leftOut), ui::MessageIcon::Warning);
}

bool EditorWindow::OnSave(const std::wstring& target) {
  SaveOutcome out = doc_.Save(false, target);
  const std::wstring path = target.empty() ? doc_.Path() : target;
  if (out.status == SaveOutcome::ChangedOnDisk) {
    // Yes overwrites, what is there now going to the backup; No shows the file as it now is.
    const std::wstring question = ui::Format(ui::Text(texts::kChangedOnDisk), {path, paths::FileName(path) + L".bak"});
    switch (args_.ask(hwnd_, question, MB_YESNOCANCEL | MB_ICONWARNING)) {
      case IDYES: out = doc_.Save(true); break;
      case IDNO: OpenFile(path); return false;
      default: return false;
    }
  }
  switch (out.status) {
    case SaveOutcome::Saved:
      Refresh(list_.SelectedRows());
      return true;
    case SaveOutcome::NotInCodePage: {
      list_.Select({out.item});
      FillFields();
      unsigned label = 0;
      for (auto [name, id] : {std::pair(L"Title", texts::kColumnTitle), std::pair(L"File", texts::kColumnFile),
                              std::pair(L"Current", texts::kFieldCurrent), std::pair(L"Option", texts::kColumnOption)})
        if (out.field == name) label = id;
      const std::wstring field = label ? ui::Text(label) : out.field;
      args_.messages.Show(ui::Format(ui::Text(texts::kNotInCodePage), {std::to_wstring(out.item + 1), field}),
                          ui::MessageIcon::Critical);
      return false;
    }
    case SaveOutcome::NotRead:
      return args_.ask(hwnd_, ui::Format(ui::Text(texts::kNotReadSaveAs), {path}), MB_YESNO | MB_ICONWARNING) == IDYES &&
             OnSaveAs();
    default:
      args_.messages.Show(ui::Format(ui::Text(texts::kWriteFailed), {path}), ui::MessageIcon::Critical);
      return false;
  }
}

bool EditorWindow::ChangesSettled() {
  if (!doc_.Modified()) return true;
  const int answer = args_.ask(hwnd_, ui::Format(ui::Text(texts::kAskSave), {paths::FileName(doc_.Path())}),
                               MB_YESNOCANCEL | MB_ICONQUESTION);
  return answer == IDNO || (answer == IDYES && OnSave());
}

void EditorWindow::OnClose() {
  if (ChangesSettled() && settings_.ChangesSettled()) DestroyWindow(hwnd_);
}

std::wstring EditorWindow::PickFile(unsigned filter, bool save) {
  if (save) return win::PickFileToSave(hwnd_, {ui::Text(filter), L"", L"", L"pmw", OFN_OVERWRITEPROMPT}).value_or(L"");
  // A shortcut picked as a program stays a shortcut.
  const DWORD flags = OFN_FILEMUSTEXIST | (filter == texts::kProgramFilter ? OFN_NODEREFERENCELINKS : 0);
  return win::PickFileToOpen(hwnd_, {ui::Text(filter), L"", L"", L"", flags}).value_or(L"");
}

void EditorWindow::OnOpen() {
  if (!ChangesSettled()) return;
  const std::wstring path = PickFile(texts::kSequenceFilter, false);
  if (!path.empty()) OpenFile(path);
}

void EditorWindow::OpenFile(const std::wstring& path) {
  const bool read = doc_.Open(path);
  Refresh({0});
  if (!read) args_.messages.Show(ui::Format(ui::Text(texts::kUnreadable), {path}), ui::MessageIcon::Critical);
}

bool EditorWindow::OnSaveAs() {
  const std::wstring path = PickFile(texts::kSequenceFilter, true);
  return !path.empty() && OnSave(path);
}

// A program the user picks goes in before the first selected row, named and
// placed as the wizard names and places a program, in a normal window.
void EditorWindow::OnAddProgram() {
  const std::wstring file = PickFile(texts::kProgramFilter, false);
  if (file.empty()) return;
  const std::vector<std::size_t> rows = list_.SelectedRows();
  Refresh({doc_.Add(rows.empty() ? doc_.Count() : rows.front(), paths::Stem(file), file, paths::Parent(file), L"", 1)});
}

}  // namespace editor
