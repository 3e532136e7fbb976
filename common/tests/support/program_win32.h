// Test helpers (Windows builds) for tests that run a built program as the
// user does: start it, find its windows, answer its message boxes.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/raii.h"

namespace tvltest {

// The folder of the built programs: one above the test's own.
inline std::wstring ProgramFolder() {
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L"\\/"));
  folder.resize(folder.find_last_of(L"\\/"));
  return folder;
}

// Handles the thread's waiting messages.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) TranslateMessage(&msg), DispatchMessageW(&msg);
}

inline std::wstring TextOf(HWND h) {
  wchar_t buf[2048] = L"";
  SendMessageW(h, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf));
  return buf;
}

struct FoundWindow { const wchar_t* cls; HWND hwnd = nullptr; };

// A named CALLBACK, not a lambda: 32-bit Windows wants stdcall here.
inline BOOL CALLBACK FindWindowOfClass(HWND hwnd, LPARAM out) {
  auto* f = reinterpret_cast<FoundWindow*>(out);
  wchar_t name[64] = L"";
  GetClassNameW(hwnd, name, 64);
  if (lstrcmpW(name, f->cls) != 0 || !IsWindowVisible(hwnd)) return TRUE;
  f->hwnd = hwnd;
  return FALSE;
}

// A visible window of the class on the thread, waited for up to 30 s.
inline HWND WaitForWindow(DWORD thread, const wchar_t* cls) {
  for (int i = 0; i < 300; ++i, Sleep(100)) {
    FoundWindow f{cls};
    EnumThreadWindows(thread, FindWindowOfClass, reinterpret_cast<LPARAM>(&f));
    if (f.hwnd) return f.hwnd;
  }
  return nullptr;
}

// A message box's text, then OK.
inline std::wstring AnswerMessage(DWORD thread) {
  HWND box = WaitForWindow(thread, L"#32770");
  if (!box) return L"(no message)";
  std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return text;
}

struct Process {
  PROCESS_INFORMATION pi{};
  win::Handle process, thread;
  bool Start(const std::wstring& exe, const std::wstring& args = L"") {
    std::wstring commandLine = L"\"" + exe + L"\"" + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return false;
    process.reset(pi.hProcess);
    thread.reset(pi.hThread);
    return true;
  }
  // The exit code; 99 when the program has not ended within the time (it is
  // ended then, so that it cannot hold up the tests after it).
  DWORD Wait(DWORD milliseconds = 30000) {
    if (WaitForSingleObject(pi.hProcess, milliseconds) != WAIT_OBJECT_0) return TerminateProcess(pi.hProcess, 1), 99;
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
};

// Runs the program to its end: its exit code, 98 when it cannot be started.
inline DWORD Run(const std::wstring& exe, const std::wstring& args = L"") {
  Process p;
  return p.Start(exe, args) ? p.Wait() : 98;
}

}  // namespace tvltest
