// The log-on without any pacing, for scripts/bench_logon.sh: starts every
// program named on its command line at once, as the system starts its Run
// entries, and ends without waiting for them.
// Usage: tvl_logon_starter.exe PROGRAM...
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    // The command line Tarvoline gives a program: its quoted path and a blank.
    std::wstring commandLine = L"\"" + std::wstring(argv[i]) + L"\" ";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(argv[i], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      ::CloseHandle(pi.hThread);
      ::CloseHandle(pi.hProcess);
    } else {
      ++failed;
    }
  }
  ::LocalFree(argv);
  return failed ? 1 : 0;
}
