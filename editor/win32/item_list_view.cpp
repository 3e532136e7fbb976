#include "editor/win32/item_list_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

#include "common/path_rules.h"
#include "common/shell_open.h"
#include "common/ui_text.h"
#include "common/win32/controls.h"
#include "editor/texts.h"

namespace editor {
namespace {

// The list's columns: text id and width at 96 DPI.
constexpr struct { unsigned text; int width; } kColumns[] = {
    {texts::kColumnTitle, 200}, {texts::kColumnFile, 220}, {texts::kColumnOption, 100}, {texts::kColumnImpact, 100}};

}  // namespace

void ItemListView::Attach(HWND list, HWND window) {
  list_ = list;
  window_ = window;
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
}

void ItemListView::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
    ListView_SetColumnWidth(list_, i, win::Scale(kColumns[i].width, dpi));
  ResetImages();
}

void ItemListView::ShowRows(const std::vector<std::size_t>& select) {
  ListView_SetItemCountEx(list_, static_cast<int>(doc_.Count()), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  InvalidateRect(list_, nullptr, FALSE);
  Select(select);
}

void ItemListView::Redraw(bool reloadIcons) {
  if (reloadIcons) ResetImages();
  InvalidateRect(list_, nullptr, FALSE);
}

std::vector<std::size_t> ItemListView::SelectedRows() const {
  std::vector<std::size_t> rows;
  for (int i = -1; (i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) >= 0;) rows.push_back(static_cast<std::size_t>(i));
  return rows;
}

void ItemListView::Select(const std::vector<std::size_t>& rows) {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (std::size_t r : rows)
    if (r < doc_.Count()) ListView_SetItemState(list_, static_cast<int>(r), LVIS_SELECTED, LVIS_SELECTED);
  if (!rows.empty() && rows.front() < doc_.Count()) {
    ListView_SetItemState(list_, static_cast<int>(rows.front()), LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(list_, static_cast<int>(rows.front()), FALSE);
  }
}

std::optional<std::size_t> ItemListView::CheckBoxAt(POINT inList) const {
  LVHITTESTINFO hit{};
  hit.pt = inList;
  if (ListView_HitTest(list_, &hit) < 0 || !(hit.flags & LVHT_ONITEMSTATEICON)) return std::nullopt;
  return static_cast<std::size_t>(hit.iItem);
}

std::optional<LRESULT> ItemListView::OnNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= doc_.Count()) return 0;
      const ItemView& v = doc_.At(static_cast<std::size_t>(item.iItem)).view;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring s = item.iSubItem == 0   ? v.title
                               : item.iSubItem == 1 ? v.file
                               : item.iSubItem == 2 ? v.arguments
                                                    : impactOf_(static_cast<std::size_t>(item.iItem));
        lstrcpynW(item.pszText, s.c_str(), item.cchTextMax);
      }
      if (item.mask & LVIF_STATE) {
        item.state = INDEXTOSTATEIMAGEMASK(v.switchedOn ? 2 : 1);
        item.stateMask = LVIS_STATEIMAGEMASK;
      }
      if (item.mask & LVIF_IMAGE) {
        const std::size_t row = static_cast<std::size_t>(item.iItem);
        item.iImage = item.iSubItem == 0 ? IconAt(row)
                      : item.iSubItem == 1 && !findings_.At(row).empty() ? 0
                                                                         : I_IMAGENONE;
      }
      return 0;
    }
    case LVN_GETINFOTIPW: {
      auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
      if (tip->iItem < 0 || static_cast<std::size_t>(tip->iItem) >= doc_.Count() || !tip->pszText) return 0;
      std::wstring said;
      for (const std::wstring& f : findings_.At(static_cast<std::size_t>(tip->iItem)))
        said += (said.empty() ? L"" : L"\r\n") + f;
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
      SetCapture(window_);
      return 0;
    default:
      return std::nullopt;
  }
}

// A row with findings carries the warning sign (image 0), sized for the
// DPI; the targets' icons follow as rows are drawn.
void ItemListView::ResetImages() {
  const int side = win::Scale(16, dpi_);
  win::ImageList images(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 1, 16));
  if (HICON warning = static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, side, side, LR_SHARED));
      images && warning && ImageList_AddIcon(images.get(), warning) == 0) {
    ListView_SetImageList(list_, images.get(), LVSIL_SMALL);
    rowImages_ = std::move(images);
    iconOf_.clear();
  }
}

void ItemListView::OnIconTimer() {
  KillTimer(window_, kIconTimer);
  iconsDue_ = true;
  InvalidateRect(list_, nullptr, FALSE);
}

int ItemListView::IconAt(std::size_t row) {
  const std::wstring& file = doc_.At(row).view.file;
  if (file.empty() || !rowImages_) return I_IMAGENONE;
  // The shell's icons take a while to set up: the window shows first, the
  // icons follow once it is idle.
  if (!iconsDue_) {
    SetTimer(window_, kIconTimer, USER_TIMER_MINIMUM, nullptr);
    return I_IMAGENONE;
  }
  std::wstring ext = paths::Extension(file);
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  // A program, a shortcut or a folder has an icon of its own; a document
  // shows its type's, which needs no look at the disk; an address the shell's.
  const bool address = IsAddress(file);
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

std::size_t ItemListView::DropRow(POINT inList) const {
  LVHITTESTINFO hit{};
  hit.pt = inList;
  const int i = ListView_HitTest(list_, &hit);
  if (i < 0) return hit.flags & LVHT_ABOVE ? static_cast<std::size_t>(ListView_GetTopIndex(list_)) : doc_.Count();
  RECT r{};
  ListView_GetItemRect(list_, i, &r, LVIR_BOUNDS);
  return static_cast<std::size_t>(i) + (inList.y > (r.top + r.bottom) / 2 ? 1 : 0);
}

// The insertion mark shows where the rows would go.
void ItemListView::OnDragMove(POINT inWindow) {
  MapWindowPoints(window_, list_, &inWindow, 1);
  ShowInsertMark(DropRow(inWindow));
}

std::optional<std::size_t> ItemListView::EndDrag(bool drop, POINT inWindow) {
  dragging_ = false;
  ShowInsertMark(std::nullopt);
  if (GetCapture() == window_) ReleaseCapture();
  if (!drop) return std::nullopt;
  MapWindowPoints(window_, list_, &inWindow, 1);
  return DropRow(inWindow);
}

void ItemListView::ShowInsertMark(std::optional<std::size_t> before) {
  if (before == insertMark_) return;  // a drag reports every move
  insertMark_ = before;
  LVINSERTMARK mark{sizeof mark, 0, -1, 0};
  if (before && *before > 0) {
    mark.dwFlags = LVIM_AFTER;
    mark.iItem = static_cast<int>(*before) - 1;
  } else if (before && doc_.Count() > 0) {
    mark.iItem = 0;
  }
  // Some list controls (Wine's) have no insertion mark: it is drawn over them.
  ownMark_ = !ListView_SetInsertMark(list_, &mark);
  if (ownMark_) InvalidateRect(list_, nullptr, FALSE);
}

void ItemListView::DrawInsertMark(HDC dc) {
  if (!insertMark_ || doc_.Count() == 0) return;
  const bool last = *insertMark_ >= doc_.Count();
  RECT row{}, client{};
  ListView_GetItemRect(list_, static_cast<int>(last ? doc_.Count() - 1 : *insertMark_), &row, LVIR_BOUNDS);
  GetClientRect(list_, &client);
  const int y = last ? row.bottom : row.top, half = std::max(1, win::Scale(1, dpi_));
  RECT line{client.left, y - half, client.right, y + half};
  FillRect(dc, &line, GetSysColorBrush(COLOR_HIGHLIGHT));
}

std::size_t ItemListView::DropRowAt(POINT screen) const {
  ScreenToClient(list_, &screen);
  RECT inside{};
  GetClientRect(list_, &inside);
  return PtInRect(&inside, screen) ? DropRow(screen) : doc_.Count();
}

}  // namespace editor
