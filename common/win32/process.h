// Starting a program from a command line, shared by the seams that start
// processes.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/raii.h"

namespace win {

// Starts commandLine (the program resolved by the system, as typed at a
// prompt) with the given show state and does not wait for it. Returns the
// process handle, the thread's handle closed, and sets *processId; on
// failure an empty handle, with GetLastError() telling why.
Handle StartProcess(const std::wstring& commandLine, int showState, DWORD* processId = nullptr);

}  // namespace win
