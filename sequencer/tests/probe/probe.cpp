// A tiny program that the start tests launch. It appends one line to the file
// named by the environment variable TVL_PROBE_OUT and ends:
//   command line TAB working folder TAB show flag (0/1) TAB show state
// in UTF-8, so that a test can see exactly how it was started.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t out[MAX_PATH * 2];
  if (!::GetEnvironmentVariableW(L"TVL_PROBE_OUT", out, MAX_PATH * 2)) return 2;
  wchar_t cwd[MAX_PATH * 2];
  ::GetCurrentDirectoryW(MAX_PATH * 2, cwd);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  ::GetStartupInfoW(&si);
  std::wstring line = std::wstring(::GetCommandLineW()) + L"\t" + cwd + L"\t" +
                      ((si.dwFlags & STARTF_USESHOWWINDOW) ? L"1" : L"0") + L"\t" +
                      std::to_wstring(si.wShowWindow) + L"\r\n";
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
