// A tiny program that the start tests launch. It appends one line to the file
// named by the environment variable TVL_PROBE_OUT and ends:
//   command line TAB working folder TAB show flag (0/1) TAB show state
// in UTF-8, so that a test can see exactly how it was started.
// Given "-sleep MS", it plays a program that is slow to finish starting: it
// sleeps MS, creates its window and writes instead
//   command line TAB "pid" N TAB "start" T TAB "window" T
// (T in ms of the system clock), then keeps the window and its message loop
// for "-live MS" (default 0) and ends.
// Given "-busy MS" instead, it first spends MS of its own processor time (a
// program with start-up work), then does as -sleep 0 (its start still the process's).
// Given "-spawn MS ARGS", it plays another program that starts one later:
// it waits MS, starts a copy of itself with ARGS and ends, writing nothing.
#include <windows.h>

#include <cwchar>
#include <string>

#include "common/win32/file_time.h"

namespace {

long long NowMs() {
  return static_cast<long long>(win::FileTimeNow() / 10000);
}

// The number after name on the command line, or -1.
long long Option(const wchar_t* name) {
  std::wstring line = ::GetCommandLineW();
  size_t at = line.find(name);
  return at == std::wstring::npos ? -1 : std::wcstoll(line.c_str() + at + wcslen(name), nullptr, 10);
}

int Append(const wchar_t* out, const std::wstring& line) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), n, nullptr, nullptr);
  HANDLE f = ::CreateFileW(out, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(f);
  return 0;
}

int SlowStart(const wchar_t* out, long long sleepMs, long long start = NowMs()) {
  ::Sleep(static_cast<DWORD>(sleepMs));
  HWND window = ::CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  const long long created = NowMs();
  const long long live = Option(L"-live ");
  ::SetTimer(window, 1, static_cast<UINT>(live > 0 ? live : 1), nullptr);
  std::wstring line = std::wstring(::GetCommandLineW()) + L"\tpid " + std::to_wstring(::GetCurrentProcessId()) +
                      L"\tstart " + std::to_wstring(start) + L"\twindow " + std::to_wstring(created) + L"\r\n";
  int rc = Append(out, line);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    ::DispatchMessageW(&msg);
  }
  ::DestroyWindow(window);
  return rc;
}

int BusyStart(const wchar_t* out, long long busyMs) {
  const long long start = NowMs();
  // Its own thread's time: a busy machine cannot shorten the work.
  volatile unsigned sink = 0;
  for (;;) {
    FILETIME created, ended, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    if (static_cast<long long>((win::FileTimeValue(kernel) + win::FileTimeValue(user)) / 10000) >= busyMs) break;
    for (unsigned i = 0; i < 1000000; ++i) sink = sink + i;
  }
  return SlowStart(out, 0, start);
}

int Spawn(long long waitMs) {
  const std::wstring line = ::GetCommandLineW();
  const size_t number = line.find(L"-spawn ") + 7;
  const size_t rest = line.find(L' ', line.find_first_not_of(L' ', number));
  wchar_t self[MAX_PATH * 2];
  const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring commandLine =
      L"\"" + std::wstring(self, n) + L"\"" + (rest == std::wstring::npos ? L"" : line.substr(rest));
  ::Sleep(static_cast<DWORD>(waitMs));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 4;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t out[MAX_PATH * 2];
  if (!::GetEnvironmentVariableW(L"TVL_PROBE_OUT", out, MAX_PATH * 2)) return 2;
  // Before -sleep, which the copy's arguments may hold.
  if (long long waitMs = Option(L"-spawn "); waitMs >= 0) return Spawn(waitMs);
  if (long long sleepMs = Option(L"-sleep "); sleepMs >= 0) return SlowStart(out, sleepMs);
  if (long long busyMs = Option(L"-busy "); busyMs >= 0) return BusyStart(out, busyMs);
  wchar_t cwd[MAX_PATH * 2];
  ::GetCurrentDirectoryW(MAX_PATH * 2, cwd);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  ::GetStartupInfoW(&si);
  return Append(out, std::wstring(::GetCommandLineW()) + L"\t" + cwd + L"\t" +
                         ((si.dwFlags & STARTF_USESHOWWINDOW) ? L"1" : L"0") + L"\t" + std::to_wstring(si.wShowWindow) +
                         L"\r\n");
}
