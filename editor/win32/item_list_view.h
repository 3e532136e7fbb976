// The editor's list of items: a virtual list view over the document's rows
// (the list holds no data of its own: texts and check boxes come from the
// items), with each target's icon, the findings' sign, the insertion mark
// where rows or files would go, and the dragging of rows within it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/win32/raii.h"
#include "editor/sequence_document.h"
#include "editor/win32/findings_scheduler.h"

namespace editor {

class ItemListView {
 public:
  // The icon timer's id on the window (WM_TIMER).
  static constexpr UINT_PTR kIconTimer = 2;

  // impactOf: the text of a row's start-up impact at the newest log-on.
  ItemListView(const SequenceDocument& doc, FindingsScheduler& findings,
               std::function<std::wstring(std::size_t row)> impactOf)
      : doc_(doc), findings_(findings), impactOf_(std::move(impactOf)) {}

  // Takes over list, a child of window (which gets its notifications, its
  // timer and the mouse while rows are dragged): columns and styles.
  void Attach(HWND list, HWND window);
  // Column widths and images for the DPI.
  void ApplyDpi(UINT dpi);

  // After a change of the document: its rows shown, rows selected (the
  // first of them focused and scrolled to).
  void ShowRows(const std::vector<std::size_t>& select);
  void Select(const std::vector<std::size_t>& rows);
  std::vector<std::size_t> SelectedRows() const;
  // The rows are drawn again (their texts or findings changed); reload also
  // asks the shell for the icons again.
  void Redraw(bool reloadIcons = false);
  // The row whose check box lies at a point in the list; nullopt off them.
  std::optional<std::size_t> CheckBoxAt(POINT inList) const;

  // The list's notifications it answers itself (texts, tips, drawing, the
  // start of a drag); nullopt for the rest, which are the window's.
  std::optional<LRESULT> OnNotify(NMHDR* header);
  // The window's timer for the icons: the window has been idle once.
  void OnIconTimer();

  // Rows dragged within the list, followed by the window's mouse messages.
  bool Dragging() const { return dragging_; }
  void OnDragMove(POINT inWindow);
  // The row the dragged ones go before when they are dropped; nullopt when
  // the drag was given up.
  std::optional<std::size_t> EndDrag(bool drop, POINT inWindow);

  // The row dropped files would go before, for a point on the screen: below
  // the last row when the point is beside the list.
  std::size_t DropRowAt(POINT screen) const;
  // The insertion mark before row; none for nullopt.
  void ShowInsertMark(std::optional<std::size_t> before);
  std::optional<std::size_t> InsertMark() const { return insertMark_; }

 private:
  // The row dragged rows would go before, for a point in the list.
  std::size_t DropRow(POINT inList) const;
  // The mark drawn over the rows, where the list cannot show one itself.
  void DrawInsertMark(HDC dc);
  // The image of the row's target, fetched when the row is first drawn.
  int IconAt(std::size_t row);
  void ResetImages();

  const SequenceDocument& doc_;
  FindingsScheduler& findings_;
  std::function<std::wstring(std::size_t row)> impactOf_;
  HWND list_ = nullptr, window_ = nullptr;
  UINT dpi_ = 96;
  bool dragging_ = false;
  std::optional<std::size_t> insertMark_;
  bool ownMark_ = false;  // the list did not take the mark: drawn over it
  // The warning sign, then the targets' icons: by path for programs,
  // shortcuts and folders, by type for documents ("." + extension).
  win::ImageList rowImages_;
  std::unordered_map<std::wstring, int> iconOf_;
  bool iconsDue_ = false;  // the window has been idle once: icons may be fetched
};

}  // namespace editor
