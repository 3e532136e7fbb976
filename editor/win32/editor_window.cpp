#include "editor_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/tool.h"
#include "common/ui_text.h"
#include "common/win32/clipboard.h"
#include "common/win32/dpi.h"
#include "common/win32/program_info.h"
#include "common/win32/startup_entries.h"
#include "common/win32/resource_ids.h"
#include "editor/texts.h"
#include "sequence/win32/launch_system_win32.h"

namespace editor {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// Layout at 96 DPI: the design's client size, which is also the smallest
// width; the list may shrink to kListMinHeight before the window stops.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 468;
constexpr int kListHeight = 200;
// Also leaves the settings page its rows (36 + 8 rows of 40 + 8, below the tabs).
constexpr int kListMinHeight = 140;

constexpr int kFirstControlId = 100;
constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT_PTR kIconTimer = 2;
constexpr UINT kProcessDrops = WM_APP + 1;
// Time the background check may take per tick, in ms.
constexpr DWORD kCheckSliceMs = 30;
constexpr int IdOf(Control c) { return kFirstControlId + static_cast<int>(c); }

constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

constexpr win::ControlSpec kControls[] = {
    {WC_TABCONTROLW, 0, WS_VISIBLE | WS_TABSTOP | TCS_TABS, 0, IdOf(Control::Pages), {8, 6, 624, 24}},
    {WC_LISTVIEWW, 0, WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
     WS_EX_CLIENTEDGE, IdOf(Control::ItemList), {8, 36, 624, kListHeight}},
    {L"BUTTON", texts::kMoveUp, kButton, 0, IdOf(Control::MoveUp), {8, 244, 70, 24}},
    {L"BUTTON", texts::kMoveDown, kButton, 0, IdOf(Control::MoveDown), {82, 244, 70, 24}},
    {L"BUTTON", texts::kRemove, kButton, 0, IdOf(Control::Remove), {156, 244, 70, 24}},
    {L"BUTTON", texts::kDuplicate, kButton, 0, IdOf(Control::Duplicate), {230, 244, 70, 24}},
    {L"BUTTON", texts::kCopy, kButton, 0, IdOf(Control::Copy), {304, 244, 70, 24}},
    {L"BUTTON", texts::kPaste, kButton, 0, IdOf(Control::Paste), {378, 244, 70, 24}},
    {L"BUTTON", texts::kUndo, kButton, 0, IdOf(Control::Undo), {452, 244, 70, 24}},
    {L"BUTTON", texts::kRedo, kButton, 0, IdOf(Control::Redo), {526, 244, 70, 24}},
    {L"BUTTON", texts::kAddProgram, kButton, 0, IdOf(Control::AddProgram), {272, 438, 70, 24}},
    {L"BUTTON", texts::kOpen, kButton, 0, IdOf(Control::Open), {346, 438, 70, 24}},
    {L"BUTTON", texts::kSaveAs, kButton, 0, IdOf(Control::SaveAs), {420, 438, 138, 24}},
    {L"BUTTON", texts::kSave, kButton, 0, IdOf(Control::Save), {562, 438, 70, 24}},
    {L"STATIC", texts::kLabelTitle, kLabel, 0, IdOf(Control::TitleLabel), {8, 283, 112, 18}},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::Title), {124, 280, 508, 22}},
    {L"STATIC", texts::kLabelFile, kLabel, 0, IdOf(Control::FileLabel), {8, 309, 112, 18}},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::File), {124, 306, 476, 22}},
    {L"BUTTON", texts::kBrowse, kButton, 0, IdOf(Control::BrowseFile), {604, 306, 28, 22}},
    {L"STATIC", texts::kLabelCurrent, kLabel, 0, IdOf(Control::CurrentLabel), {8, 335, 112, 18}},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::Current), {124, 332, 476, 22}},
    {L"BUTTON", texts::kBrowse, kButton, 0, IdOf(Control::BrowseFolder), {604, 332, 28, 22}},
    {L"STATIC", texts::kLabelOption, kLabel, 0, IdOf(Control::OptionLabel), {8, 361, 112, 18}},
    {L"EDIT", 0, kEdit, WS_EX_CLIENTEDGE, IdOf(Control::Option), {124, 358, 508, 22}},
    {L"STATIC", texts::kLabelSize, kLabel, 0, IdOf(Control::SizeLabel), {8, 387, 112, 18}},
    {L"COMBOBOX", 0, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdOf(Control::Size), {124, 384, 240, 160}},
    {L"BUTTON", texts::kSwitchedOn, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, IdOf(Control::SwitchedOn), {380, 385, 160, 20}},
    {L"BUTTON", texts::kTry, kButton, 0, IdOf(Control::Try), {544, 382, 88, 24}},
    {L"STATIC", texts::kLabelDropped, kLabel, 0, IdOf(Control::DroppedLabel), {8, 413, 176, 18}},
    {L"COMBOBOX", 0, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdOf(Control::Dropped), {188, 410, 176, 120}},
    {L"STATIC", 0, kLabel | SS_NOPREFIX | SS_ENDELLIPSIS, 0, IdOf(Control::Status), {8, 442, 262, 18}},
};

// The show states the window-style list names, in its order.
constexpr int kSizes[] = {show::kHide,       show::kNormal,     show::kMinimized,
                          show::kMaximized,  show::kNoActivate, show::kMinimizedNoActivate};
constexpr unsigned kSizeTexts[] = {texts::kSize0, texts::kSize1, texts::kSize2, texts::kSize3, texts::kSize4, texts::kSize6};
constexpr Control kFields[] = {Control::Title,  Control::File,       Control::Current,     Control::Option,
                               Control::Size,   Control::SwitchedOn, Control::BrowseFile, Control::BrowseFolder,
                               Control::Try};

// The list's columns: text id and width at 96 DPI.
constexpr struct { unsigned text; int width; } kColumns[] = {
    {texts::kColumnTitle, 200}, {texts::kColumnFile, 270}, {texts::kColumnOption, 130}};

SIZE OuterSize(UINT dpi, int clientHeight = kClientHeight) {
  return win::OuterSize(kStyle, kExStyle, win::Scale(kClientWidth, dpi), win::Scale(clientHeight, dpi), dpi);
}

// How a control follows the window's size: the list takes the extra width
// and height; the rest keep their size below it, the file buttons at the
// right edge, the status line widening with the window.
enum class Anchor { Grow, TopWide, BottomLeft, BottomRight, BottomWide };
Anchor AnchorOf(int id) {
  switch (static_cast<Control>(id - kFirstControlId)) {
    case Control::ItemList: return Anchor::Grow;
    case Control::Pages: return Anchor::TopWide;
    case Control::AddProgram:
    case Control::Open:
    case Control::SaveAs:
    case Control::Save: return Anchor::BottomRight;
    case Control::Status: return Anchor::BottomWide;
    default: return Anchor::BottomLeft;
  }
}

// The item as a run reads it.
sequence::SequenceItem AsSequenceItem(const ItemView& v) {
  sequence::SequenceItem item;
  item.Title = v.title;
  item.File = v.file;
  item.Current = v.current;
  item.Option = v.option;
  item.Size = v.size;
  return item;
}

HACCEL Keys(bool all) {
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'S', static_cast<WORD>(IdOf(Control::Save))},
      {FVIRTKEY, VK_F9, static_cast<WORD>(IdOf(Control::Try))},
      {FVIRTKEY, VK_F5, static_cast<WORD>(IdOf(Control::Recheck))},
      {FVIRTKEY | FALT, VK_UP, static_cast<WORD>(IdOf(Control::MoveUp))},
      {FVIRTKEY | FALT, VK_DOWN, static_cast<WORD>(IdOf(Control::MoveDown))},
      {FVIRTKEY | FCONTROL, 'C', static_cast<WORD>(IdOf(Control::Copy))},
      {FVIRTKEY | FCONTROL, 'V', static_cast<WORD>(IdOf(Control::Paste))},
      {FVIRTKEY | FCONTROL, 'Z', static_cast<WORD>(IdOf(Control::Undo))},
      {FVIRTKEY | FCONTROL, 'Y', static_cast<WORD>(IdOf(Control::Redo))},
      {FVIRTKEY, VK_DELETE, static_cast<WORD>(IdOf(Control::Remove))},
  };
  return CreateAcceleratorTableW(keys, all ? static_cast<int>(std::size(keys)) : 5);
}

}  // namespace

EditorWindow::EditorWindow(EditorWindowArgs args)
    : args_(std::move(args)),
      doc_(args_.files, args_.clock),
      settings_({args_.instance, args_.files, args_.messages, args_.ask,
                 args_.programFolder.empty() ? program::Folder() : args_.programFolder, UserNumberSeparators()}) {}

EditorWindow::~EditorWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (allKeys_) DestroyAcceleratorTable(allKeys_);
  if (fieldKeys_) DestroyAcceleratorTable(fieldKeys_);
}

bool EditorWindow::Create(int showCommand) {
  WNDCLASSEXW wc{};
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(args_.instance, MAKEINTRESOURCEW(IDI_PROGRAM));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  if (!RegisterClassOnce(args_.instance, wc)) return false;
  const bool read = doc_.Open(args_.path);
  allKeys_ = Keys(true);
  fieldKeys_ = Keys(false);

  dpi_ = win::SystemDpi();
  SIZE size = OuterSize(dpi_);
  if (!CreateFrame(args_.instance, kExStyle, L"", kStyle, size.cx, size.cy)) return false;
  if (UINT actual = win::WindowDpi(hwnd_); actual != dpi_) OnDpiChanged(actual, nullptr);
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
      if (dragging_) OnDragMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) OnDragEnd(true, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lp) != hwnd_) OnDragEnd(false, {});
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case kProcessDrops:
      drops_.Drain([this](const PendingDrop& drop) { AddDropped(drop.first, drop.second); });
      return 0;
    case WM_TIMER:
      if (wp == kCheckTimer) CheckChunk();
      if (wp == kIconTimer) {
        KillTimer(hwnd_, kIconTimer);
        iconsDue_ = true;
        InvalidateRect(ControlHandle(Control::ItemList), nullptr, FALSE);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kCheckTimer);
      KillTimer(hwnd_, kIconTimer);
      if (registered_) RevokeDragDrop(hwnd_);
      registered_ = false;
      if (target_) target_.get()->Detach();
      if (args_.quitOnDestroy) PostQuitMessage(0);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) OnSize(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE least = OuterSize(dpi_, kClientHeight - kListHeight + kListMinHeight);
      reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{least.cx, least.cy};
      return 0;
    }
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

bool EditorWindow::OnCreate() {
  if (!controls_.Create(hwnd_, kControls)) return false;
  HWND list = ControlHandle(Control::ItemList);
  // The target's icon beside the title, the findings' sign beside File.
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER |
                                              LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES);
  // The list holds no state of its own: the check boxes come from the items.
  ListView_SetCallbackMask(list, LVIS_STATEIMAGEMASK);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    std::wstring name = ui::Text(kColumns[i].text);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = kColumns[i].width;
    col.pszText = name.data();
    ListView_InsertColumn(list, i, &col);
  }
  HWND size = ControlHandle(Control::Size);
  for (unsigned t : kSizeTexts) SendMessageW(size, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Text(t).c_str()));
  for (unsigned page : {texts::kPageItems, texts::kPageSettings}) {
    std::wstring name = ui::Text(page);
    TCITEMW tab{TCIF_TEXT, 0, 0, name.data(), 0, 0, 0};
    TabCtrl_InsertItem(ControlHandle(Control::Pages), TabCtrl_GetItemCount(ControlHandle(Control::Pages)), &tab);
  }
  if (!settings_.Create(hwnd_)) return false;
  // The drop tool's choice for plain files, named as the Size field names them.
  HWND dropped = ControlHandle(Control::Dropped);
  for (int d : itemtext::kDroppedFileSizes)
    for (std::size_t i = 0; i < std::size(kSizes); ++i)
      if (kSizes[i] == d) SendMessageW(dropped, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Text(kSizeTexts[i]).c_str()));
  SendMessageW(dropped, CB_SETCURSEL, 0, 0);
  ApplyDpi(dpi_);
  // OLE's drop shows where files will go; WM_DROPFILES is kept for a
  // thread without OLE.
  DragAcceptFiles(hwnd_, TRUE);
  target_.reset(new win::DropTarget(this));
  registered_ = SUCCEEDED(RegisterDragDrop(hwnd_, target_.get()));
  return true;
}

void EditorWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
  ApplyDpi(dpi);
  // The system's suggestion keeps the size the user gave, scaled; without
  // one (created on a monitor of another DPI) the design size at this DPI.
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SIZE size = OuterSize(dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT client{};
  GetClientRect(hwnd_, &client);
  OnSize(client.right, client.bottom);
}

void EditorWindow::OnSize(int width, int height) {
  const int dx = width - win::Scale(kClientWidth, dpi_), dy = height - win::Scale(kClientHeight, dpi_);
  // One batch: the controls move together, without a repaint between them.
  HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(kControls)));
  for (const win::ControlSpec& spec : kControls) {
    RECT r{win::Scale(spec.rect.x, dpi_), win::Scale(spec.rect.y, dpi_), 0, 0};
    r.right = r.left + win::Scale(spec.rect.width, dpi_);
    r.bottom = r.top + win::Scale(spec.rect.height, dpi_);
    switch (AnchorOf(spec.id)) {
      case Anchor::Grow: r.right += dx; r.bottom += dy; break;
      case Anchor::TopWide: r.right += dx; break;
      case Anchor::BottomRight: OffsetRect(&r, dx, dy); break;
      case Anchor::BottomWide: r.right += dx; OffsetRect(&r, 0, dy); break;
      case Anchor::BottomLeft: OffsetRect(&r, 0, dy); break;
    }
    if (HWND h = controls_.Find(spec.id); h && moves)
      moves = DeferWindowPos(moves, h, nullptr, r.left, r.top, r.right - r.left, std::max(r.bottom - r.top, 0L),
                             SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (moves) EndDeferWindowPos(moves);
  LayoutSettingsPage();
}

void EditorWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  win::Fonts fonts{win::GdiObject(win::MakeFont(L"", 0, false, dpi)), {}};
  controls_.Layout(dpi, fonts);
  HWND list = ControlHandle(Control::ItemList);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
    ListView_SetColumnWidth(list, i, win::Scale(kColumns[i].width, dpi));
  if (fonts.body) fonts_ = std::move(fonts);
  LayoutSettingsPage();
  ResetImages();
}

// The settings page lies over everything below the tab strip.
void EditorWindow::LayoutSettingsPage() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  client.top = win::Scale(kControls[0].rect.y + kControls[0].rect.height + 4, dpi_);
  settings_.Layout(client, dpi_, fonts_);
}

// A row with findings carries the warning sign (image 0), sized for the
// DPI; the targets' icons follow as rows are drawn.
void EditorWindow::ResetImages() {
  HWND list = ControlHandle(Control::ItemList);
  const int side = win::Scale(16, dpi_);
  win::ImageList images(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 1, 16));
  if (HICON warning = static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, side, side, LR_SHARED));
      images && warning && ImageList_AddIcon(images.get(), warning) == 0) {
    ListView_SetImageList(list, images.get(), LVSIL_SMALL);
    rowImages_ = std::move(images);
    iconOf_.clear();
  }
}

int EditorWindow::IconAt(std::size_t row) {
  const std::wstring& file = doc_.At(row).view.file;
  if (file.empty() || !rowImages_) return I_IMAGENONE;
  // The shell's icons take a while to set up: the window shows first, the
  // icons follow once it is idle.
  if (!iconsDue_) {
    SetTimer(hwnd_, kIconTimer, USER_TIMER_MINIMUM, nullptr);
    return I_IMAGENONE;
  }
  std::wstring ext = paths::Extension(file);
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  // A program, a shortcut or a folder has an icon of its own; a document
  // shows its type's, which needs no look at the disk; an address the shell's.
  const bool address = tool::IsAddress(file);
  const bool own = !address && (ext.empty() || ext == L"exe" || ext == L"lnk" || ext == L"com" || ext == L"scr");
  const auto cached = [this](const std::wstring& key, const std::wstring& name, UINT flags) {
    if (auto it = iconOf_.find(key); it != iconOf_.end()) return it->second;
    SHFILEINFOW info{};
    int index = -1;
    if (SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | flags) &&
        info.hIcon) {
      index = ImageList_AddIcon(rowImages_.get(), info.hIcon);
      DestroyIcon(info.hIcon);
    }
    return iconOf_[key] = index;
  };
  std::wstring path = own ? file : L"";
  for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(c));
  // A program that is not there (yet) shows its type's icon; asking the
  // shell about it first would cost a parse of the path for nothing.
  const std::wstring key = L"|" + path;
  const bool there = own && (iconOf_.contains(key) || GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES);
  int index = there ? cached(key, file, 0) : -1;
  if (index < 0) index = address ? cached(L"url", L".url", SHGFI_USEFILEATTRIBUTES)
                                 : cached(L"." + ext, L"." + ext, SHGFI_USEFILEATTRIBUTES);
  return index < 0 ? I_IMAGENONE : index;
}

std::vector<std::size_t> EditorWindow::SelectedRows() const {
  std::vector<std::size_t> rows;
  HWND list = ControlHandle(Control::ItemList);
  for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) >= 0;) rows.push_back(static_cast<std::size_t>(i));
  return rows;
}

void EditorWindow::Select(const std::vector<std::size_t>& rows) {
  HWND list = ControlHandle(Control::ItemList);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (std::size_t r : rows)
    if (r < doc_.Count()) ListView_SetItemState(list, static_cast<int>(r), LVIS_SELECTED, LVIS_SELECTED);
  if (!rows.empty() && rows.front() < doc_.Count()) {
    ListView_SetItemState(list, static_cast<int>(rows.front()), LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(list, static_cast<int>(rows.front()), FALSE);
  }
}

void EditorWindow::Refresh(const std::vector<std::size_t>& select) {
  HWND list = ControlHandle(Control::ItemList);
  ListView_SetItemCountEx(list, static_cast<int>(doc_.Count()), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  ForgetFindings(false);
  InvalidateRect(list, nullptr, FALSE);
  Select(select);
  FillFields();
  ShowState();
}

// The caption marks unsaved changes; the status line counts the items.
void EditorWindow::ShowState() {
  const std::wstring caption = (doc_.Modified() ? L"*" : L"") + paths::FileName(doc_.Path()) + L" - " +
                               program::VersionCaption(L"TVL Editor");
  SetWindowTextW(hwnd_, caption.c_str());
  std::wstring found = L"\u2026";  // still being checked
  if (nextUnchecked_ >= findings_.size()) {
    std::size_t n = 0;
    for (const auto& f : findings_) n += f ? f->size() : 0;
    found = std::to_wstring(n);
  }
  const std::wstring status = ui::Format(ui::Text(texts::kStatus), {std::to_wstring(doc_.Count()),
                                                                    std::to_wstring(doc_.SwitchedOffCount()), found});
  SetWindowTextW(ControlHandle(Control::Status), status.c_str());
  EnableWindow(ControlHandle(Control::Undo), doc_.CanUndo());
  EnableWindow(ControlHandle(Control::Redo), doc_.CanRedo());
}

// The fields show the first selected item; with none they are empty and off.
void EditorWindow::FillFields() {
  const std::vector<std::size_t> rows = SelectedRows();
  const bool any = !rows.empty();
  const ItemView none{};
  const ItemView& v = any ? doc_.At(rows.front()).view : none;
  filling_ = true;
  SetWindowTextW(ControlHandle(Control::Title), v.title.c_str());
  SetWindowTextW(ControlHandle(Control::File), v.file.c_str());
  SetWindowTextW(ControlHandle(Control::Current), v.current.c_str());
  SetWindowTextW(ControlHandle(Control::Option), v.option.c_str());
  int index = -1;
  for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i)
    if (any && kSizes[i] == v.size) index = i;
  SendMessageW(ControlHandle(Control::Size), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(ControlHandle(Control::SwitchedOn), BM_SETCHECK, any && v.switchedOn ? BST_CHECKED : BST_UNCHECKED, 0);
  for (Control c : kFields) EnableWindow(ControlHandle(c), any);
  filling_ = false;
}

void EditorWindow::OnFieldChanged(Control c) {
  const std::vector<std::size_t> rows = SelectedRows();
  if (filling_ || rows.empty()) return;
  const std::size_t row = rows.front();
  HWND h = ControlHandle(c);
  switch (c) {
    case Control::Title: doc_.SetText(row, Field::Title, win::WindowText(h)); break;
    case Control::File: doc_.SetText(row, Field::File, win::WindowText(h)); break;
    case Control::Current: doc_.SetText(row, Field::Current, win::WindowText(h)); break;
    case Control::Option: doc_.SetText(row, Field::Option, win::WindowText(h)); break;
    case Control::Size: {
      const LRESULT i = SendMessageW(h, CB_GETCURSEL, 0, 0);
      if (i >= 0 && i < static_cast<LRESULT>(std::size(kSizes))) doc_.SetSize(row, kSizes[i]);
      break;
    }
    default: doc_.SetSwitchedOn(row, SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED); break;
  }
  // The row and the status follow; the field being typed in keeps its text.
  ForgetFindings(false);
  InvalidateRect(ControlHandle(Control::ItemList), nullptr, FALSE);
  ShowState();
  // Text the file cannot hold is told at once; the save refuses it.
  if (c != Control::Size && c != Control::SwitchedOn && !text::ToAnsiExact(win::WindowText(h)))
    SetWindowTextW(ControlHandle(Control::Status), ui::Text(texts::kFieldNotInCodePage).c_str());
}

void EditorWindow::OnCommand(int id, int code) {
  const Control c = static_cast<Control>(id - kFirstControlId);
  if (c >= Control::TitleLabel && c <= Control::SwitchedOn) {
    if (code == EN_CHANGE || code == CBN_SELCHANGE || code == BN_CLICKED) OnFieldChanged(c);
    return;
  }
  // Over the settings page the item commands rest; Ctrl+S saves the page.
  if (settings_.Shown()) {
    if (c == Control::Save) settings_.Save();
    return;
  }
  const std::vector<std::size_t> rows = SelectedRows();
  switch (c) {
    case Control::MoveUp: Refresh(doc_.Move(rows, -1)); break;
    case Control::MoveDown: Refresh(doc_.Move(rows, 1)); break;
    case Control::Remove:
      doc_.Remove(rows);
      Refresh({rows.empty() ? 0 : std::min(rows.front(), doc_.Count() ? doc_.Count() - 1 : 0)});
      break;
    case Control::Duplicate: Refresh(doc_.Duplicate(rows)); break;
    case Control::Copy:
      if (!rows.empty()) clipboard::SetText(hwnd_, doc_.Copy(rows));
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
    case Control::BrowseFolder: OnBrowseFolder(); break;
    case Control::Try: OnTry(); break;
    case Control::Recheck:
      // A program installed since may have brought its icon too.
      ResetImages();
      ForgetFindings(true);
      InvalidateRect(ControlHandle(Control::ItemList), nullptr, FALSE);
      ShowState();
      break;
    default: break;
  }
}

void EditorWindow::OnTry() {
  const std::vector<std::size_t> rows = SelectedRows();
  if (rows.empty()) return;
  const ItemView& v = doc_.At(rows.front()).view;
  const ItemStart start =
      StartSequenceItem(args_.launch ? *args_.launch : RealLaunchSystem(), hwnd_, AsSequenceItem(v));
  const std::wstring name = paths::FileName(v.file);
  std::wstring said;
  switch (start.outcome) {
    case ItemStart::FolderNotEntered: said = ui::Format(ui::Text(texts::kTryFolder), {v.current}); break;
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

void EditorWindow::ForgetFindings(bool askSystem) {
  if (askSystem || !check_) {
    // Tarvoline lies beside the editor: a File named without a full path is
    // looked for from there, as a run would.
    sequence::check::Environment env{paths::Join(program::Folder(), L"Tarvoline.exe"), autostart::SearchFolders(), {}, {}};
    check_.emplace(std::move(env), args_.files, autostart::EnabledProgramPaths());
  }
  twins_.clear();
  findings_.assign(doc_.Count(), std::nullopt);
  nextUnchecked_ = 0;
  SetTimer(hwnd_, kCheckTimer, 10, nullptr);
}

const std::vector<std::wstring>& EditorWindow::FindingsAt(std::size_t row) {
  if (!check_) ForgetFindings(false);
  if (twins_.size() != doc_.Count()) {
    std::vector<sequence::SequenceItem> items;
    items.reserve(doc_.Count());
    for (std::size_t r = 0; r < doc_.Count(); ++r) {
      // Items switched off never start: they are neither twins nor twinned.
      sequence::SequenceItem item = AsSequenceItem(doc_.At(r).view);
      if (!doc_.At(r).view.switchedOn) item.File.clear();
      items.push_back(std::move(item));
    }
    twins_ = sequence::check::Twins(items);
  }
  if (findings_.size() != doc_.Count()) findings_.assign(doc_.Count(), std::nullopt);
  std::optional<std::vector<std::wstring>>& f = findings_[row];
  if (!f) f = check_->Findings(AsSequenceItem(doc_.At(row).view), twins_[row]);
  return *f;
}

void EditorWindow::CheckChunk() {
  const DWORD start = GetTickCount();
  while (nextUnchecked_ < findings_.size() && GetTickCount() - start < kCheckSliceMs) FindingsAt(nextUnchecked_++);
  if (nextUnchecked_ < findings_.size()) return;
  KillTimer(hwnd_, kCheckTimer);
  ShowState();
}

void EditorWindow::OnPaste() {
  const std::vector<std::size_t> rows = SelectedRows();
  // Pasted items go before the first selected one, else at the end.
  const std::vector<std::size_t> added = doc_.Paste(rows.empty() ? doc_.Count() : rows.front(), clipboard::GetText(hwnd_).value_or(L""));
  if (added.empty()) {
    args_.messages.Show(ui::Text(texts::kNothingToPaste), ui::MessageIcon::Information);
    return;
  }
  Refresh(added);
}

void EditorWindow::ShowPage(bool settings) {
  for (const win::ControlSpec& spec : kControls)
    if (spec.id != IdOf(Control::Pages)) ShowWindow(controls_.Find(spec.id), settings ? SW_HIDE : SW_SHOW);
  settings_.Show(settings);
}

LRESULT EditorWindow::OnNotify(NMHDR* header) {
  if (header->idFrom == static_cast<UINT_PTR>(IdOf(Control::Pages))) {
    if (header->code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(header->hwndFrom) == 1);
    return 0;
  }
  if (header->idFrom != static_cast<UINT_PTR>(IdOf(Control::ItemList))) return 0;
  HWND list = header->hwndFrom;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= doc_.Count()) return 0;
      const ItemView& v = doc_.At(static_cast<std::size_t>(item.iItem)).view;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring& s = item.iSubItem == 0 ? v.title : item.iSubItem == 1 ? v.file : v.option;
        lstrcpynW(item.pszText, s.c_str(), item.cchTextMax);
      }
      if (item.mask & LVIF_STATE) {
        item.state = INDEXTOSTATEIMAGEMASK(v.switchedOn ? 2 : 1);
        item.stateMask = LVIS_STATEIMAGEMASK;
      }
      if (item.mask & LVIF_IMAGE) {
        const std::size_t row = static_cast<std::size_t>(item.iItem);
        item.iImage = item.iSubItem == 0 ? IconAt(row)
                      : item.iSubItem == 1 && !FindingsAt(row).empty() ? 0
                                                                        : I_IMAGENONE;
      }
      return 0;
    }
    case LVN_GETINFOTIPW: {
      auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
      if (tip->iItem < 0 || static_cast<std::size_t>(tip->iItem) >= doc_.Count() || !tip->pszText) return 0;
      std::wstring said;
      for (const std::wstring& f : FindingsAt(static_cast<std::size_t>(tip->iItem))) said += (said.empty() ? L"" : L"\r\n") + f;
      if (!said.empty()) lstrcpynW(tip->pszText, said.c_str(), tip->cchTextMax);
      return 0;
    }
    case NM_CUSTOMDRAW: {
      const NMCUSTOMDRAW& draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header)->nmcd;
      if (draw.dwDrawStage == CDDS_PREPAINT) return ownMark_ && insertMark_ ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
      if (draw.dwDrawStage == CDDS_POSTPAINT) DrawInsertMark(draw.hdc);
      return CDRF_DODEFAULT;
    }
    case LVN_BEGINDRAG:
      dragging_ = true;
      SetCapture(hwnd_);
      return 0;
    case LVN_ITEMCHANGED:
      if (reinterpret_cast<NMLISTVIEW*>(header)->uChanged & LVIF_STATE) FillFields();
      return 0;
    case NM_CLICK: {
      // A click on a check box switches its item.
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
      if (ListView_HitTest(list, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
        const std::size_t row = static_cast<std::size_t>(hit.iItem);
        doc_.SetSwitchedOn(row, !doc_.At(row).view.switchedOn);
        Refresh(SelectedRows());
      }
      return 0;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) {
        const std::vector<std::size_t> rows = SelectedRows();
        for (std::size_t r : rows) doc_.SetSwitchedOn(r, !doc_.At(r).view.switchedOn);
        Refresh(rows);
      }
      return 0;
    default:
      return 0;
  }
}

void EditorWindow::OnBrowseFolder() {
  const std::wstring title = ui::Text(texts::kPickFolder);
  BROWSEINFOW info{};
  info.hwndOwner = hwnd_;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
  if (!picked) return;
  wchar_t folder[MAX_PATH] = L"";
  if (SHGetPathFromIDListW(picked, folder)) SetWindowTextW(ControlHandle(Control::Current), folder);
  CoTaskMemFree(picked);
}

std::size_t EditorWindow::DropRow(POINT inList) const {
  HWND list = ControlHandle(Control::ItemList);
  LVHITTESTINFO hit{};
  hit.pt = inList;
  const int i = ListView_HitTest(list, &hit);
  if (i < 0) return hit.flags & LVHT_ABOVE ? static_cast<std::size_t>(ListView_GetTopIndex(list)) : doc_.Count();
  RECT r{};
  ListView_GetItemRect(list, i, &r, LVIR_BOUNDS);
  return static_cast<std::size_t>(i) + (inList.y > (r.top + r.bottom) / 2 ? 1 : 0);
}

// The insertion mark shows where the rows would go.
void EditorWindow::OnDragMove(POINT inParent) {
  HWND list = ControlHandle(Control::ItemList);
  MapWindowPoints(hwnd_, list, &inParent, 1);
  ShowInsertMark(DropRow(inParent));
}

void EditorWindow::ShowInsertMark(std::optional<std::size_t> before) {
  if (before == insertMark_) return;  // a drag reports every move
  insertMark_ = before;
  HWND list = ControlHandle(Control::ItemList);
  LVINSERTMARK mark{sizeof mark, 0, -1, 0};
  if (before && *before > 0) {
    mark.dwFlags = LVIM_AFTER;
    mark.iItem = static_cast<int>(*before) - 1;
  } else if (before && doc_.Count() > 0) {
    mark.iItem = 0;
  }
  // Some list controls (Wine's) have no insertion mark: the window draws it.
  ownMark_ = !ListView_SetInsertMark(list, &mark);
  if (ownMark_) InvalidateRect(list, nullptr, FALSE);
}

void EditorWindow::DrawInsertMark(HDC dc) {
  if (!insertMark_ || doc_.Count() == 0) return;
  HWND list = ControlHandle(Control::ItemList);
  const bool last = *insertMark_ >= doc_.Count();
  RECT row{}, client{};
  ListView_GetItemRect(list, static_cast<int>(last ? doc_.Count() - 1 : *insertMark_), &row, LVIR_BOUNDS);
  GetClientRect(list, &client);
  const int y = last ? row.bottom : row.top, half = std::max(1, win::Scale(1, dpi_));
  RECT line{client.left, y - half, client.right, y + half};
  FillRect(dc, &line, GetSysColorBrush(COLOR_HIGHLIGHT));
}

void EditorWindow::OnDragEnd(bool drop, POINT inParent) {
  dragging_ = false;
  HWND list = ControlHandle(Control::ItemList);
  ShowInsertMark(std::nullopt);
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!drop) return;
  MapWindowPoints(hwnd_, list, &inParent, 1);
  Refresh(doc_.MoveTo(SelectedRows(), DropRow(inParent)));
}

int EditorWindow::DroppedFileSize() const {
  const LRESULT i = SendMessageW(ControlHandle(Control::Dropped), CB_GETCURSEL, 0, 0);
  return i >= 0 && i < static_cast<LRESULT>(std::size(itemtext::kDroppedFileSizes)) ? itemtext::kDroppedFileSizes[i]
                                                                                    : itemtext::kDroppedFileSizes[0];
}

void EditorWindow::OnDropFiles(HDROP drop) {
  POINT at{};
  DragQueryPoint(drop, &at);
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(std::move(path));
  }
  DragFinish(drop);
  ClientToScreen(hwnd_, &at);
  AddDropped(paths, DropRowAt(at));
}

std::size_t EditorWindow::DropRowAt(POINT screen) const {
  HWND list = ControlHandle(Control::ItemList);
  ScreenToClient(list, &screen);
  RECT inside{};
  GetClientRect(list, &inside);
  return PtInRect(&inside, screen) ? DropRow(screen) : doc_.Count();
}

bool EditorWindow::IsOverDropArea(POINTL screen) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return PtInRect(&r, POINT{screen.x, screen.y});
}

void EditorWindow::OnDragOver(POINTL screen) { ShowInsertMark(DropRowAt(POINT{screen.x, screen.y})); }

void EditorWindow::OnDragLeave() { ShowInsertMark(std::nullopt); }

void EditorWindow::OnFilesDropped(std::optional<std::vector<std::wstring>> files, POINTL screen) {
  if (!files || files->empty()) return;
  drops_.Add(hwnd_, kProcessDrops, PendingDrop(std::move(*files), DropRowAt(POINT{screen.x, screen.y})));
}

void EditorWindow::AddDropped(const std::vector<std::wstring>& paths, std::size_t row) {
  std::vector<SequenceDocument::NewItem> items;
  std::vector<std::wstring> leftOut;
  for (const std::wstring& path : paths) {
    const itemtext::DroppedItem d = itemtext::ItemFromDropped(path, DroppedFileSize(), RealShortcutStore(), args_.files);
    if (d.status == itemtext::DroppedItem::Ok)
      items.push_back({d.title, d.texts.file, d.texts.current, d.texts.option, d.size});
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
    if (args_.ask(hwnd_, ui::Format(ui::Text(texts::kChangedOnDisk), {path}), MB_YESNO | MB_ICONWARNING) != IDYES)
      return false;
    out = doc_.Save(true);
  }
  switch (out.status) {
    case SaveOutcome::Saved:
      Refresh(SelectedRows());
      return true;
    case SaveOutcome::NotInCodePage: {
      Select({out.item});
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
  std::wstring filters = ui::Text(filter) + L"||";
  for (wchar_t& c : filters)
    if (c == L'|') c = L'\0';
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filters.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | (filter == texts::kProgramFilter ? OFN_NODEREFERENCELINKS : 0));
  if (save) ofn.lpstrDefExt = L"pmw";
  const BOOL picked = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  return picked ? file : L"";
}

void EditorWindow::OnOpen() {
  if (!ChangesSettled()) return;
  const std::wstring path = PickFile(texts::kSequenceFilter, false);
  if (path.empty()) return;
  const bool read = doc_.Open(path);
  Refresh({0});
  if (!read) args_.messages.Show(ui::Format(ui::Text(texts::kUnreadable), {path}), ui::MessageIcon::Critical);
}

void EditorWindow::OnSaveAs() {
  const std::wstring path = PickFile(texts::kSequenceFilter, true);
  if (!path.empty()) OnSave(path);
}

// A program the user picks goes in before the first selected row, named and
// placed as the wizard names and places a program, in a normal window.
void EditorWindow::OnAddProgram() {
  const std::wstring file = PickFile(texts::kProgramFilter, false);
  if (file.empty()) return;
  const std::vector<std::size_t> rows = SelectedRows();
  Refresh({doc_.Add(rows.empty() ? doc_.Count() : rows.front(), paths::Stem(file), file, paths::Parent(file), L"", 1)});
}

}  // namespace editor
