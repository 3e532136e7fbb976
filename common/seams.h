// The platform seams of the portable core: what the launch engine and the
// wizard ask of the system, behind small interfaces that tests replace with
// fakes. The real implementations live in the Windows build (win32/).
#pragma once

#include <cstdint>
#include <string>

// An owner window, opaque to the core (an HWND on Windows).
using WindowHandle = void*;

// Window show states, as stored in an item's Size (SW_* values).
namespace show {
constexpr int kHide = 0;
constexpr int kNormal = 1;
constexpr int kMinimized = 2;
constexpr int kMaximized = 3;
constexpr int kNoActivate = 4;
constexpr int kMinimizedNoActivate = 6;
}  // namespace show

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecute with no verb and no parameters; returns the shell's result
  // (greater than 32 on success). directory may be empty.
  virtual std::intptr_t Execute(WindowHandle owner, const std::wstring& file, const std::wstring& directory,
                                int showState) = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts a process from commandLine with the given show state; not waited
  // for, its handles closed at once. False when it cannot be started.
  virtual bool Start(const std::wstring& commandLine, int showState) = 0;
  // Makes path the process's current directory; false on failure.
  // Where <windows.h> is included this name becomes SetCurrentDirectoryW, so
  // an implementation must call the system function as ::SetCurrentDirectoryW.
  virtual bool SetCurrentDirectory(const std::wstring& path) = 0;
};

// The real ones (Windows builds only).
Shell& RealShell();
Processes& RealProcesses();

// How the user's locale writes numbers: the decimal separator, and the
// separator that groups thousands ("" for none).
struct NumberSeparators {
  std::wstring decimal = L".";
  std::wstring thousands = L",";
};
// The user's locale (the C library's on POSIX builds).
NumberSeparators UserNumberSeparators();
