// Lists the user's start-up entries from the system (Windows builds): the
// entry point the wizard and the sequencer's check share. The entry itself
// and the rules behind it are in common/startup_entries.h.
#pragma once

#include <vector>

#include "autostart/startup_entries.h"

namespace autostart {

// Every entry, in this order: the Run values of HKCU, of HKLM in the 64-bit
// view and (on 64-bit Windows) in the 32-bit view, each key in the order the
// registry gives its values; then the ".lnk" files of the user's and of the
// all-users Startup folder. RunOnce keys are not read. Run values of every
// type are listed (isString says which the system starts); each entry's
// enabled state comes from the start-up approval data. Programs are
// resolved with file-system redirection off and the 64-bit folder
// variables, so a 32-bit build lists what a 64-bit one does.
// With resolve false, entries are only named: program, arguments and
// working folder stay empty (command is the value as stored or the
// shortcut's path) until Resolve; a check of names and approval needs no
// file test and no shortcut read.
std::vector<Entry> ListEntries(bool resolve = true);
void Resolve(Entry& entry);

// The programs the system starts by itself at log-on: those of the enabled
// entries it would start (string Run values, readable shortcuts).
std::vector<std::wstring> EnabledProgramPaths();

// Where process creation looks for a program named without a folder: the
// system folder, the 16-bit system folder, the Windows folder, then PATH.
std::vector<std::wstring> SearchFolders();

// True where the system keeps start-up approval data (Windows 8 and later).
bool HasApprovalData();

}  // namespace autostart
