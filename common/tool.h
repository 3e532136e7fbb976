// File tests, text helpers and shell starts shared by all programs (one
// implementation, no copies); path text itself is paths:: (path_rules.h).
// Everything is wide text; none of these functions throws for a path it
// cannot make sense of: it gives "" or false.
#pragma once

#include <string>
#include <string_view>

#include "fileio.h"
#include "seams.h"

namespace tool {

bool IsFolderPresent(const std::wstring& path, FileSystem& fs);
// Opens for reading and closes again; any failure is false. Never changes the file.
bool IsFileReadable(const std::wstring& path, FileSystem& fs);
// Opens for appending and closes again (creating an empty file when missing);
// any failure is false.
bool IsFileWritable(const std::wstring& path, FileSystem& fs);

// One pair of enclosing double quotes removed ("" gives empty; a lone quote stays).
std::wstring StripQuotes(std::wstring_view s);
// The text before the first NUL, or the whole text.
std::wstring TrimAtNull(std::wstring_view s);

// "mailto:", "http://", "https://" or "ftp://" at the start, in any letter
// case: an address, which ShellOpen hands over without looking for a file.
bool IsAddress(std::wstring_view target);

// Opens target with the shell's default action, in a normal window without
// activation. Addresses (IsAddress) always give true; any other target must
// match an ordinary file in a directory search ("dir\" matches the folder's
// files), else false without calling the shell; then true when the shell
// reports success.
bool ShellOpen(WindowHandle owner, const std::wstring& target, Shell& shell,
               FileSystem& fs);

}  // namespace tool
