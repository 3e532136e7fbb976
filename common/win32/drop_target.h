// An OLE drop target that accepts file lists over one area of a window and
// hands the dropped paths to its sink (the drop tool's area, the editor's list).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace win {

class DropSink {
 public:
  virtual ~DropSink() = default;
  // True when the screen point lies over the area that takes drops.
  virtual bool IsOverDropArea(POINTL screen) = 0;
  // Files are being dragged over the area at the screen point (for feedback
  // such as an insertion mark), or have left it or been dropped.
  virtual void OnDragOver(POINTL) {}
  virtual void OnDragLeave() {}
  // The paths of a drop in the list's order, or nullopt when the dropped data
  // held no file list, and where they were dropped. Called inside
  // IDropTarget::Drop: the sink must not block the drag source (no message
  // boxes here).
  virtual void OnFilesDropped(std::optional<std::vector<std::wstring>> files, POINTL screen) = 0;
};

// Reference counted; created with a count of 1 for its creator.
class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(DropSink* sink) : sink_(sink) {}
  // After this the target refuses every drop (its window is going away while
  // someone may still hold a reference).
  void Detach() { sink_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;

 private:
  ~DropTarget() = default;
  // Copy over the drop area when the data has a file list and the source allows copying.
  DWORD Effect(POINTL pt, DWORD allowed);

  LONG refs_ = 1;
  DropSink* sink_;
  bool offersFiles_ = false;
};

// Drops a sink took inside Drop, handled later from its window's own
// message, so that the drag source is not held while they are worked on,
// and one at a time: a message box about one runs its own loop, in which the
// next may arrive, and that one waits its turn.
template <typename Drop>
class DropQueue {
 public:
  // Keeps drop and posts message to window, whose handler calls Drain.
  void Add(HWND window, UINT message, Drop drop) {
    pending_.push_back(std::move(drop));
    PostMessageW(window, message, 0, 0);
  }
  // Hands every waiting drop to handle, in order; nothing while a handle runs.
  template <typename Handle>
  void Drain(Handle handle) {
    if (draining_) return;
    draining_ = true;
    while (!pending_.empty()) {
      Drop drop = std::move(pending_.front());
      pending_.pop_front();
      handle(drop);
    }
    draining_ = false;
  }

 private:
  std::deque<Drop> pending_;
  bool draining_ = false;
};

}  // namespace win
