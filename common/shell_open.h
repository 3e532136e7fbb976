// Handing a document or an address to the shell, as Tarvoline starts an item
// that is no program and the wizard opens what it made. Wide text; never
// throws for a target it cannot make sense of.
#pragma once

#include <string>
#include <string_view>

#include "common/fileio.h"
#include "common/seams.h"

// "mailto:", "http://", "https://" or "ftp://" at the start, in any letter
// case: an address, which ShellOpen hands over without looking for a file.
bool IsAddress(std::wstring_view target);

// Opens target with the shell's default action, in a normal window without
// activation. Addresses (IsAddress) always give true; any other target must
// match an ordinary file in a directory search ("dir\" matches the folder's
// files), else false without calling the shell; then true when the shell
// reports success.
bool ShellOpen(WindowHandle owner, const std::wstring& target, Shell& shell, FileSystem& fs);
