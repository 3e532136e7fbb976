// One small owner type per release function. Each closes what it holds when
// it goes out of scope; none can be copied, all can be moved.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <utility>

namespace win {

// Traits: using T; static T Invalid(); static void Release(T).
template <class Traits>
class Owned {
 public:
  using T = typename Traits::T;
  Owned() = default;
  explicit Owned(T v) : v_(v) {}
  ~Owned() { reset(); }
  Owned(Owned&& o) noexcept : v_(std::exchange(o.v_, Traits::Invalid())) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) {
      reset();
      v_ = std::exchange(o.v_, Traits::Invalid());
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  T get() const { return v_; }
  explicit operator bool() const { return v_ != Traits::Invalid(); }
  T release() { return std::exchange(v_, Traits::Invalid()); }
  void reset(T v = Traits::Invalid()) {
    if (v_ != Traits::Invalid()) Traits::Release(v_);
    v_ = v;
  }

 private:
  T v_ = Traits::Invalid();
};

// CreateFileW and friends: INVALID_HANDLE_VALUE on failure.
struct FileTraits {
  using T = HANDLE;
  static T Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(T h) { ::CloseHandle(h); }
};
// Process and thread handles: null on failure.
struct HandleTraits {
  using T = HANDLE;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::CloseHandle(h); }
};
struct FindTraits {
  using T = HANDLE;
  static T Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(T h) { ::FindClose(h); }
};
struct RegKeyTraits {
  using T = HKEY;
  static T Invalid() { return nullptr; }
  static void Release(T k) { ::RegCloseKey(k); }
};

// COM interface pointers: Release.
template <class I>
struct ComTraits {
  using T = I*;
  static T Invalid() { return nullptr; }
  static void Release(T p) { p->Release(); }
};
template <class I>
using ComPtr = Owned<ComTraits<I>>;

// CoInitializeEx / OleInitialize scopes. Hold true only when the call
// succeeded (S_OK or S_FALSE): only then is the matching uninitialize owed.
struct ComInitTraits {
  using T = bool;
  static T Invalid() { return false; }
  static void Release(T) { ::CoUninitialize(); }
};
struct OleInitTraits {
  using T = bool;
  static T Invalid() { return false; }
  static void Release(T) { ::OleUninitialize(); }
};
// An open clipboard (true after OpenClipboard succeeded).
struct ClipboardTraits {
  using T = bool;
  static T Invalid() { return false; }
  static void Release(T) { ::CloseClipboard(); }
};
// GlobalAlloc memory not (yet) handed to the system.
struct GlobalTraits {
  using T = HGLOBAL;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::GlobalFree(h); }
};
// Fonts, brushes, pens and bitmaps that the program created.
struct GdiObjectTraits {
  using T = HGDIOBJ;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::DeleteObject(h); }
};
// A storage medium filled by IDataObject::GetData (points at the caller's struct).
struct StgMediumTraits {
  using T = STGMEDIUM*;
  static T Invalid() { return nullptr; }
  static void Release(T m) { ::ReleaseStgMedium(m); }
};

using FileHandle = Owned<FileTraits>;
using Handle = Owned<HandleTraits>;
using FindHandle = Owned<FindTraits>;
using RegKey = Owned<RegKeyTraits>;
using ComInit = Owned<ComInitTraits>;
using OleInit = Owned<OleInitTraits>;
using Clipboard = Owned<ClipboardTraits>;
using Global = Owned<GlobalTraits>;
using GdiObject = Owned<GdiObjectTraits>;
using StgMedium = Owned<StgMediumTraits>;

// Memory the shell hands out (item identifier lists, strings): CoTaskMemFree.
template <class P>
struct CoTaskMemTraits {
  using T = P;
  static T Invalid() { return nullptr; }
  static void Release(T p) { ::CoTaskMemFree(p); }
};
template <class P>
using CoTaskMem = Owned<CoTaskMemTraits<P>>;
// Device contexts from CreateCompatibleDC: DeleteDC.
struct MemoryDcTraits {
  using T = HDC;
  static T Invalid() { return nullptr; }
  static void Release(T dc) { ::DeleteDC(dc); }
};
using MemoryDc = Owned<MemoryDcTraits>;
struct ImageListTraits {
  using T = HIMAGELIST;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::ImageList_Destroy(h); }
};
using ImageList = Owned<ImageListTraits>;
// Icons the program made or loaded without LR_SHARED: DestroyIcon.
struct IconTraits {
  using T = HICON;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::DestroyIcon(h); }
};
using Icon = Owned<IconTraits>;

// A window's device context from GetDC, given back with ReleaseDC. null
// hwnd: the screen's.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An object selected into a device context for one scope; the one it
// replaced is selected back at the end. Nothing happens for a null dc or object.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) ::SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace win
