// A start-up command line as the system runs it: environment references
// expanded, then split into the program and what is passed to it by the
// rules process creation uses when it is given only a command line.
// Portable: the file tests go through the file seam, the environment
// through a lookup function.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"

namespace autostart {

// A variable's value, or nullopt when it is not defined. Names compare
// without regard to letter case, as the system's environment does.
using Lookup = std::function<std::optional<std::wstring>(std::wstring_view name)>;

// Every %NAME% replaced by its value; references to undefined variables
// (and a lone "%") stay as written.
std::wstring ExpandVariables(std::wstring_view text, const Lookup& lookup);

// The lookup a 64-bit process sees: ProgramFiles and CommonProgramFiles
// answered with ProgramW6432 and CommonProgramW6432 where those are defined
// (on 64-bit Windows), every other name passed on. A 32-bit program uses it
// to expand entries the way the 64-bit system starts them.
Lookup With64BitFolders(Lookup lookup);

struct Split {
  std::wstring program;    // full path when found, else as written
  std::wstring arguments;  // the rest after the program, leading blanks removed
  bool found = false;      // program names an existing file
};

// Splits commandLine (already expanded):
//  - a leading quoted path ends at its closing quote (or the end of the text);
//  - otherwise successively longer blank-separated prefixes are tried as
//    files, the first that exists is the program;
//  - each candidate is tried as written and, when its file name has no
//    extension, with ".exe" added; a bare file name (no folder) is looked up
//    in searchFolders in order (the system folder, the Windows folder, PATH);
//  - when nothing exists, the quoted path or the first word is the program.
// Names with wildcards never match a file.
Split SplitCommandLine(std::wstring_view commandLine, const std::vector<std::wstring>& searchFolders,
                       FileSystem& fs);

// PATH's folders in order, empty entries left out and quotes removed.
std::vector<std::wstring> SplitSearchPath(std::wstring_view path);

}  // namespace autostart
