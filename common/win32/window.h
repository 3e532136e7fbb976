// The skeleton of a window owned by one C++ object: its class registered
// once, `this` stored when the window is created and cleared when it is gone,
// every message in between forwarded to the object.
//
//   class MyWindow : public win::Window<MyWindow> {
//     friend win::Window<MyWindow>;
//     static constexpr wchar_t kClassName[] = L"MyWindow";
//     LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);  // DefWindowProcW for the rest
//   };
//
// The derived class destroys its window in its own destructor (DestroyWindow
// sends messages that reach OnMessage, which needs the whole object). A
// member `void OnWindowGone()`, where T has one, runs after the last message
// (WM_NCDESTROY), when hwnd() is already null.
#pragma once

#include <windows.h>

namespace win {

template <class T>
class Window {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  Window() = default;
  ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Registers T::kClassName with the other fields of wc (cursor, brush,
  // icons) unless this module has it already. False when it cannot.
  static bool RegisterClassOnce(HINSTANCE instance, WNDCLASSEXW wc) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance, T::kClassName, &existing)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = T::kClassName;
    return ::RegisterClassExW(&wc) != 0;
  }

  // Creates the top-level window of class T::kClassName for this object;
  // hwnd() is set from WM_NCCREATE on, so handlers of the creation messages
  // can use it. Null when the window could not be created.
  HWND CreateFrame(HINSTANCE instance, DWORD exStyle, const wchar_t* caption, DWORD style, int width,
                   int height) {
    return ::CreateWindowExW(exStyle, T::kClassName, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                             nullptr, nullptr, instance, static_cast<T*>(this));
  }

  HWND hwnd_ = nullptr;

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
    return self->OnMessage(msg, wp, lp);
  }
};

}  // namespace win
