#include "common/win32/dpi.h"

#include "common/win32/raii.h"

namespace win {
namespace {

template <class Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT ScreenDpi() {
  win::WindowDc screen(nullptr);
  int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT SystemDpi() {
  static auto getDpiForSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
  UINT dpi = getDpiForSystem ? getDpiForSystem() : 0;
  return dpi ? dpi : ScreenDpi();
}

UINT WindowDpi(HWND hwnd) {
  static auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
  return dpi ? dpi : SystemDpi();
}

SIZE OuterSize(DWORD style, DWORD exStyle, int width, int height, UINT dpi) {
  static auto adjustForDpi =
      User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT r{0, 0, width, height};
  if (!(adjustForDpi && adjustForDpi(&r, style, FALSE, exStyle, dpi))) {
    r = RECT{0, 0, width, height};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace win
