// The Tool procedures: path handling, file tests, unique keys and shell
// starts, shared by all three programs (one implementation, no copies).
//
// Paths follow the platform: on Windows "\" and "/" both separate components
// and a drive root keeps its "\" (the parent of C:\x.txt is C:\); on POSIX
// "/" separates. Everything is wide text; none of these functions throws for
// a path it cannot make sense of: it gives "" or false.
#pragma once

#include <string>
#include <string_view>

#include "fileio.h"
#include "seams.h"

namespace tool {

// folder + one separator + name (no separator added when the folder already
// ends in one). A bare drive ("C:") is first extended to "C:\" in the
// caller's own variable, so C: and a.txt give C:\a.txt, never C:a.txt.
// The same is done with "/" on POSIX, where it changes nothing in the result.
std::wstring JoinPath(std::wstring& folder, std::wstring_view name);
// Length 2 or 3 and ":" as the second character.
bool IsDriveSpec(std::wstring_view path);

bool IsFolderPresent(const std::wstring& path, FileSystem& fs = RealFileSystem());
// Opens for reading and closes again; any failure is false. Never changes the file.
bool IsFileReadable(const std::wstring& path, FileSystem& fs = RealFileSystem());
// Opens for appending and closes again (creating an empty file when missing);
// any failure is false.
bool IsFileWritable(const std::wstring& path, FileSystem& fs = RealFileSystem());

std::wstring GetFileNameFromPath(std::wstring_view path);     // C:\A\b.txt -> b.txt
std::wstring GetBaseNameFromPath(std::wstring_view path);     // C:\A\b.c.txt -> b.c; .profile -> ""
std::wstring GetParentFolderFromPath(std::wstring_view path); // C:\A\b.txt -> C:\A; C:\x -> C:\ .
std::wstring GetExtensionFromPath(std::wstring_view path);    // C:\A\Tool.LNK -> LNK

// One pair of enclosing double quotes removed ("" gives empty; a lone quote stays).
std::wstring StripQuotes(std::wstring_view s);
// The text before the first NUL, or the whole text.
std::wstring TrimAtNull(std::wstring_view s);

// "Key" + the process-wide counter in 15 digits; the counter then advances.
std::wstring NextUniqueKey();

// "mailto:", "http://", "https://" or "ftp://" at the start, in any letter
// case: an address, which ShellOpen hands over without looking for a file.
bool IsAddress(std::wstring_view target);

// Opens target with the shell's default action, in a normal window without
// activation. Addresses (IsAddress) always give true; any other target must
// match an ordinary file in a directory search ("dir\" matches the folder's
// files), else false without calling the shell; then true when the shell
// reports success.
bool ShellOpen(WindowHandle owner, const std::wstring& target, Shell& shell = RealShell(),
               FileSystem& fs = RealFileSystem());

}  // namespace tool
