// Where Windows keeps the shell's special folders. Every call asks the system
// afresh; a folder this system does not have, one that is not a file-system
// folder and a failing call all give "" (absence is the empty text).
#pragma once

#include <string>

namespace win {

// The path of a shell special folder (a CSIDL_* number), asked without the
// shell's namespace (under Wine its first use there costs over a second, and
// Tarvoline asks before its first item).
std::wstring SpecialFolder(int csidl);

// The current user's Startup folder.
std::wstring UserStartupFolder();

}  // namespace win
