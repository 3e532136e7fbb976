// The frame of a window owned by one C++ object: its class registered once
// with the program's icon, `this` stored when the window is created and
// cleared when it is gone, every message in between forwarded to the object.
//
//   class MyWindow : public win::Window<MyWindow> {
//     friend win::Window<MyWindow>;
//     static constexpr wchar_t kClassName[] = L"MyWindow";
//     LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);  // DefWindowProcW for the rest
//   };
//
// A top-level window made by CreateFrame is also laid out by the frame: its
// client area is its design size (at 96 DPI) at the DPI of its monitor, its
// fonts (fonts_) and logo (logo_) are made for that DPI, and the controls of
// controls_ are placed by their table at creation, at every WM_SIZE and at
// WM_DPICHANGED (the window moves to the suggested rectangle; one that cannot
// be resized keeps its design size), which the frame handles alone. Members
// of T that the frame uses where T has them:
//   win::Typeface TextFace() const   the face of its text (else the system's message font)
//   static constexpr int kLogoSide   the side of logo_ at 96 DPI (else no logo)
//   void MakeDpiResources()          images and the like for dpi_, after the fonts
//   void OnLayout(int width, int height)  after the controls are placed
//   void OnWindowGone()              after the last message (WM_NCDESTROY), hwnd() null
//
// The derived class destroys its window in its own destructor (DestroyWindow
// sends messages that reach OnMessage, which needs the whole object).
#pragma once

#include <windows.h>

#include "common/control_layout.h"
#include "common/win32/controls.h"
#include "common/win32/dpi.h"
#include "common/win32/raii.h"
#include "common/win32/resource_ids.h"

namespace win {

// The program's icon at side pixels, owned by the caller; the system's
// application icon in a program without one (the tests).
inline HICON ProgramIcon(HINSTANCE instance, int side) {
  HICON icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, side, side, 0));
  return icon ? icon : ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
}

template <class T>
class Window {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  Window() = default;
  ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Registers T::kClassName unless this module has it already: the arrow
  // cursor, the dialog colour and the program's icon at the system's two
  // sizes. False when it cannot.
  static bool RegisterClassOnce(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(instance, T::kClassName, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = T::kClassName;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    const auto shared = [instance](int metricX, int metricY) {
      HICON icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                                   ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY),
                                                   LR_SHARED));
      return icon ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
    };
    wc.hIcon = shared(SM_CXICON, SM_CYICON);
    wc.hIconSm = shared(SM_CXSMICON, SM_CYSMICON);
    return ::RegisterClassExW(&wc) != 0;
  }

  // Creates the top-level window of class T::kClassName for this object with
  // a client area of design at the DPI of the monitor it opens on; hwnd() is
  // set from WM_NCCREATE on, so handlers of the creation messages can use it.
  // Null when the window could not be created.
  HWND CreateFrame(HINSTANCE instance, DWORD exStyle, const wchar_t* caption, DWORD style, Size96 design) {
    design_ = design;
    const UINT system = SystemDpi();
    const SIZE outer =
        OuterSize(style, exStyle, win::Scale(design.width, system), win::Scale(design.height, system), system);
    HWND h = ::CreateWindowExW(exStyle, T::kClassName, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy,
                               nullptr, nullptr, instance, static_cast<T*>(this));
    // The monitor the system chose may have another DPI than the system's.
    if (h && dpi_ != system) FitDesignSize();
    return h;
  }

  // v pixels at 96 DPI, at the window's DPI.
  int Scale(int v) const { return win::Scale(v, dpi_); }

  // Places the controls for the client area as it is, then T's OnLayout.
  void Relayout() {
    if (!laidOut_ || !hwnd_) return;
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    controls_.Layout(dpi_, design_, SIZE{client.right, client.bottom});
    T* self = static_cast<T*>(this);
    if constexpr (requires { self->OnLayout(0, 0); }) self->OnLayout(client.right, client.bottom);
  }

  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  ControlSet controls_;
  Fonts fonts_;
  Icon logo_;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      T* created = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      static_cast<Window*>(created)->hwnd_ = hwnd;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    T* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
      // The last message: nothing reaches the object after it.
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      static_cast<Window*>(self)->hwnd_ = nullptr;
      const LRESULT result = ::DefWindowProcW(hwnd, msg, wp, lp);
      if constexpr (requires { self->OnWindowGone(); }) self->OnWindowGone();
      return result;
    }
    Window* frame = self;
    if (frame->design_.width > 0) {
      switch (msg) {
        case WM_CREATE:
          return frame->OnFrameCreate(wp, lp);
        case WM_SIZE:
          if (wp != SIZE_MINIMIZED) frame->Relayout();
          break;
        case WM_DPICHANGED:
          frame->OnFrameDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
          return 0;
        default:
          break;
      }
    }
    return self->OnMessage(msg, wp, lp);
  }

  LRESULT OnFrameCreate(WPARAM wp, LPARAM lp) {
    dpi_ = WindowDpi(hwnd_);
    MakeFontsAndLogo();
    T* self = static_cast<T*>(this);
    const LRESULT result = self->OnMessage(WM_CREATE, wp, lp);
    if (result == -1) return result;
    controls_.SetFonts(fonts_);
    if constexpr (requires { self->MakeDpiResources(); }) self->MakeDpiResources();
    laidOut_ = true;
    Relayout();
    return result;
  }

  void OnFrameDpiChanged(UINT dpi, const RECT* suggested) {
    dpi_ = dpi ? dpi : 96;
    // The controls take the new fonts before the old ones are released.
    Fonts old = std::move(fonts_);
    MakeFontsAndLogo();
    controls_.SetFonts(fonts_);
    old = Fonts{};
    T* self = static_cast<T*>(this);
    if constexpr (requires { self->MakeDpiResources(); }) self->MakeDpiResources();
    // The suggestion keeps the size the user gave, scaled.
    if (suggested)
      ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!suggested || !(::GetWindowLongW(hwnd_, GWL_STYLE) & WS_THICKFRAME)) FitDesignSize();
    Relayout();
  }

  void MakeFontsAndLogo() {
    const T* self = static_cast<const T*>(this);
    Typeface typeface;
    if constexpr (requires { self->TextFace(); }) typeface = self->TextFace();
    fonts_ = MakeFonts(typeface, dpi_);
    if constexpr (requires { T::kLogoSide; })
      logo_.reset(ProgramIcon(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
                              Scale(T::kLogoSide)));
  }

  // The outer size that gives the design client area at dpi_.
  void FitDesignSize() {
    const SIZE outer = OuterSize(static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)),
                                 static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE)), Scale(design_.width),
                                 Scale(design_.height), dpi_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Size96 design_{};  // empty: not a frame (a child window such as a page)
  bool laidOut_ = false;
};

}  // namespace win
