// Where Windows keeps the shell's special folders. Every call asks the system
// afresh; a folder this system does not have, one that is not a file-system
// folder and a failing call all give "" (absence is the empty text).
#pragma once

#include <string>

namespace special_folders {

// The path of a shell special folder (a CSIDL_* number).
std::wstring Path(int csidl);

// The same for a folder that is always a file-system folder (application
// data, the Startup folders), asked without the shell's namespace: what a
// start of Tarvoline reads before its first item.
std::wstring FileSystemPath(int csidl);

// The current user's Startup folder.
std::wstring UserStartup();

}  // namespace special_folders
