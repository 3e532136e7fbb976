// Facts about the running program, read from the system.
#pragma once

#include <string>

namespace win {

// Full path of the running executable ("" if the system cannot say).
std::wstring ProgramPath();
// The folder that holds it, without a trailing "\" (a drive root keeps its "\").
std::wstring ProgramFolder();
// ProductName from the version resource, " Ver.", then major.minor.third
// field of the file version in plain decimal: "TVL Tool Ver.1.1.0".
// fallbackName is used when the resource has no product name.
std::wstring VersionCaption(const std::wstring& fallbackName);

}  // namespace win
