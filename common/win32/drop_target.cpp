#include "common/win32/drop_target.h"

#include "common/win32/drop_files.h"

namespace win {

HRESULT DropTarget::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *out = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG DropTarget::Release() {
  LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

DWORD DropTarget::Effect(POINTL pt, DWORD allowed) {
  if (!sink_ || !offersFiles_ || !(allowed & DROPEFFECT_COPY) || !sink_->IsOverDropArea(pt)) {
    if (sink_) sink_->OnDragLeave();
    return DROPEFFECT_NONE;
  }
  sink_->OnDragOver(pt);
  return DROPEFFECT_COPY;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  offersFiles_ = win::OffersFileList(data);
  *effect = Effect(pt, *effect);
  return S_OK;
}

HRESULT DropTarget::DragOver(DWORD, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = Effect(pt, *effect);
  return S_OK;
}

HRESULT DropTarget::DragLeave() {
  offersFiles_ = false;
  if (sink_) sink_->OnDragLeave();
  return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  offersFiles_ = false;
  if (sink_) sink_->OnDragLeave();
  if (!sink_ || !sink_->IsOverDropArea(pt)) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  std::optional<std::vector<std::wstring>> files = win::FileListFrom(data);
  *effect = files && (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  sink_->OnFilesDropped(std::move(files), pt);
  return S_OK;
}

}  // namespace win
