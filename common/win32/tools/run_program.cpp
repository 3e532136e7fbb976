// tvl_run_program [--close] PROGRAM [ARGUMENT...]
// Starts a program as the user would and waits for it to end: with --close,
// once it shows a window, that window is asked to close (WM_CLOSE), as the
// user's click on the close button would. Exit code 0 when the program
// ended by itself within 30 s with exit code 0; 1 otherwise. Used by the
// release check, which runs the programs from the zips under Wine.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "common/win32/raii.h"

namespace {

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->processId || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

std::wstring Quoted(const wchar_t* arg) { return L"\"" + std::wstring(arg) + L"\""; }

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int first = 1;
  const bool close = argc > 1 && lstrcmpW(argv[1], L"--close") == 0;
  if (close) ++first;
  if (argc <= first) {
    std::fputs("usage: tvl_run_program [--close] PROGRAM [ARGUMENT...]\n", stderr);
    return 1;
  }
  std::wstring commandLine = Quoted(argv[first]);
  for (int i = first + 1; i < argc; ++i) commandLine += L" " + Quoted(argv[i]);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(argv[first], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start the program (error %lu)\n", GetLastError());
    return 1;
  }
  win::Handle process(pi.hProcess), thread(pi.hThread);

  if (close) {
    Search s{pi.dwProcessId, nullptr};
    for (int i = 0; i < 300 && !s.found; ++i) {
      if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) break;
      EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&s));
    }
    if (!s.found) {
      std::fputs("the program showed no window\n", stderr);
      TerminateProcess(pi.hProcess, 1);
      return 1;
    }
    PostMessageW(s.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
    std::fputs("the program did not end within 30 s\n", stderr);
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (code != 0) std::fprintf(stderr, "the program ended with exit code %lu\n", code);
  return code == 0 ? 0 : 1;
}
