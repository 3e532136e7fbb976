#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "common/seams.h"
#include "common/win32/process.h"
#include "common/win32/raii.h"

namespace {

class Win32Shell final : public Shell {
 public:
  std::intptr_t Execute(WindowHandle owner, const std::wstring& file, const std::wstring& directory,
                        int showState) override {
    // Shell extensions that handle the default action may need COM on this
    // thread; a thread that already has it keeps its own apartment.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    win::ComInit com(SUCCEEDED(hr));
    HINSTANCE result = ShellExecuteW(static_cast<HWND>(owner), nullptr, file.c_str(), nullptr,
                                     directory.c_str(), showState);
    return reinterpret_cast<std::intptr_t>(result);
  }
};

class Win32Processes final : public Processes {
 public:
  bool Start(const std::wstring& commandLine, int showState) override {
    // Not waited for: the handle is only closed.
    return static_cast<bool>(win::StartProcess(commandLine, showState));
  }

  // <windows.h> turns this name into SetCurrentDirectoryW, so the system
  // function must be named with "::" or the call would find this member.
  bool SetCurrentDirectory(const std::wstring& path) override {
    return !path.empty() && ::SetCurrentDirectoryW(path.c_str()) != FALSE;
  }
};

}  // namespace

namespace win {

Handle StartProcess(const std::wstring& commandLine, int showState, DWORD* processId) {
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showState);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return Handle();
  Handle thread(pi.hThread);
  if (processId) *processId = pi.dwProcessId;
  return Handle(pi.hProcess);
}

}  // namespace win

Shell& RealShell() {
  static Win32Shell shell;
  return shell;
}

Processes& RealProcesses() {
  static Win32Processes processes;
  return processes;
}

NumberSeparators UserNumberSeparators() {
  NumberSeparators s;
  wchar_t buf[8];  // at most three characters each, and the NUL
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 1) s.decimal = buf;
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, 8) > 0) s.thousands = buf;
  return s;
}
