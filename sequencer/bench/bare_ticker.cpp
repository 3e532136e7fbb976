// The yardstick for Tarvoline's own load: a bare Win32 window that does the
// same work per tick — one processor sample (GetSystemTimes) and one
// progress-bar update every 200 ms — and nothing else. Ends after the number
// of ticks given on its command line (default 150: Tarvoline's 50 items at a
// start every third tick).
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace {

HWND bar = nullptr;
long ticksLeft = 150;
ULONGLONG lastIdle = 0, lastTotal = 0;

ULONGLONG Ticks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER: {
      FILETIME idle, kernel, user;
      ::GetSystemTimes(&idle, &kernel, &user);
      const ULONGLONG total = Ticks(kernel) + Ticks(user), i = Ticks(idle);
      const ULONGLONG dt = total - lastTotal, di = i - lastIdle;
      lastTotal = total;
      lastIdle = i;
      const int percent = dt ? static_cast<int>(100 * (dt - (di < dt ? di : dt)) / dt) : 0;
      ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
      if (--ticksLeft <= 0) ::DestroyWindow(hwnd);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int show) {
  const long ticks = args && *args ? std::wcstol(args, nullptr, 10) : 0;
  if (ticks > 0) ticksLeft = ticks;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&icc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BareTicker";
  ::RegisterClassW(&wc);
  HWND hwnd = ::CreateWindowExW(0, L"BareTicker", L"Bare ticker", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                400, 120, nullptr, nullptr, instance, nullptr);
  bar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 360, 20, hwnd, nullptr,
                          instance, nullptr);
  ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  ::ShowWindow(hwnd, show);
  ::SetTimer(hwnd, 1, 200, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}
