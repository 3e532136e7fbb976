// A simulated log-on program for scripts/bench_logon.sh: it spends a fixed
// amount of processor time starting up, shows its window, records the moment
// and idles until it is ended.
// The cost comes from its own file name, <anything>_<MS>ms[_<N>t].exe
// (high1_1500ms_2t.exe: 1500 ms spread over two threads), so that the same
// program runs under a dozen names and the starters need pass no arguments.
// The work is counted in the working threads' own processor time, never in
// wall time, so that a busy machine stretches the start-up instead of
// shortening the work.
// When the window is shown it appends one line to the file named by the
// environment variable TVL_LOGON_OUT (UTF-8):
//   name TAB shown TAB processor ms spent TAB threads
// with "shown" in seconds since 1970 (UTC), as Linux counts them.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/win32/file_time.h"

namespace {

std::uint64_t ThreadTime(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  return win::FileTimeValue(kernel) + win::FileTimeValue(user);
}

struct Share {
  std::uint64_t ms = 0;     // processor time due
  std::uint64_t spent = 0;  // processor time spent, in 100 ns
};

// Spins until this thread has spent its share of processor time. The time is
// read between bursts of about a millisecond: under Wine each read asks the server and the
// Linux thread's statistics, which count in 10 ms steps. What was spent is
// read by the thread itself, as Wine has no times for an ended thread.
DWORD WINAPI Burn(void* parameter) {
  Share& share = *static_cast<Share*>(parameter);
  const HANDLE self = ::GetCurrentThread();
  const std::uint64_t start = ThreadTime(self);
  volatile std::uint32_t x = 1;
  while (ThreadTime(self) - start < share.ms * 10000)
    for (int i = 0; i < 500000; ++i) x = x * 1664525u + 1013904223u;
  share.spent = ThreadTime(self) - start;
  return 0;
}

// Seconds since 1970 to the microsecond. The precise clock is looked up, as
// the suite's headers stop at Windows 7, which lacks it.
double UnixNow() {
  using Precise = void(WINAPI*)(LPFILETIME);
  static const auto precise = reinterpret_cast<Precise>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME now{};
  if (precise) precise(&now);
  else ::GetSystemTimeAsFileTime(&now);
  constexpr std::uint64_t kFrom1601To1970 = 116444736000000000ull;
  return static_cast<double>(win::FileTimeValue(now) - kFrom1601To1970) / 1e7;
}

void Record(const std::wstring& name, double shown, std::uint64_t spentMs, int threads) {
  wchar_t out[MAX_PATH];
  if (!::GetEnvironmentVariableW(L"TVL_LOGON_OUT", out, MAX_PATH)) return;
  char line[256];
  const int n = std::snprintf(line, sizeof line, "%ls\t%.6f\t%llu\t%d\n", name.c_str(), shown,
                              static_cast<unsigned long long>(spentMs), threads);
  // One write in append mode: the programs of a log-on share the file.
  HANDLE f = ::CreateFileW(out, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(f, line, static_cast<DWORD>(n), &written, nullptr);
  ::CloseHandle(f);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  name = name.substr(0, name.rfind(L'.'));

  std::uint64_t costMs = 0;
  int threads = 1;
  if (const size_t at = name.find(L'_'); at != std::wstring::npos) {
    wchar_t* end = nullptr;
    costMs = std::wcstoull(name.c_str() + at + 1, &end, 10);
    if (std::wcsncmp(end, L"ms_", 3) == 0) threads = static_cast<int>(std::wcstol(end + 3, nullptr, 10));
  }
  if (threads < 1) threads = 1;

  // Every working thread spends its share; the window waits for all of them.
  std::vector<Share> shares(static_cast<size_t>(threads), {costMs / static_cast<std::uint64_t>(threads), 0});
  std::vector<HANDLE> workers;
  for (Share& share : shares)
    if (HANDLE t = ::CreateThread(nullptr, 0, Burn, &share, 0, nullptr)) workers.push_back(t);
  ::WaitForMultipleObjects(static_cast<DWORD>(workers.size()), workers.data(), TRUE, INFINITE);
  std::uint64_t spent = 0;
  for (size_t i = 0; i < workers.size(); ++i) {
    spent += shares[i].spent;
    ::CloseHandle(workers[i]);
  }

  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"LogonProgram";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, L"LogonProgram", name.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 300, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  Record(name, UnixNow(), spent / 10000, threads);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
