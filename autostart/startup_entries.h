// The user's start-up entries: the Run values of the registry and the
// shortcuts of the Startup folders, each with its start-up approval state.
// The wizard takes them over; the sequencer's check lists them.
//
// The listing itself is Win32 (common/win32/startup_entries.h,
// autostart::ListEntries); the rules that turn a raw value or shortcut into an
// entry are here, portable, behind the file seam.
#pragma once

#include <string>
#include <vector>

#include "autostart/command_line.h"
#include "common/fileio.h"
#include "common/registry.h"
#include "common/shortcut.h"
#include "autostart/startup_approval.h"

namespace autostart {

// Where an entry comes from:
//   UserRun       HKCU\Software\Microsoft\Windows\CurrentVersion\Run
//   MachineRun64  the same key under HKLM, 64-bit view (the only one on 32-bit Windows)
//   MachineRun32  the same key under HKLM, 32-bit view
//   UserFolder    the user's Startup folder
//   CommonFolder  the all-users Startup folder
using Source = autostart::Place;

struct Entry {
  Source source = Source::UserRun;
  std::wstring name;           // the value's name, or the shortcut's file name ("x.lnk")
  std::wstring command;        // the value as stored, or the shortcut's full path
  std::wstring program;        // the resolved program (a shortcut: its target)
  std::wstring arguments;      // what is passed to the program
  std::wstring workingFolder;  // a Run value: the program's folder; a shortcut: its working folder
  int windowStyle = 1;         // a shortcut's show command; 1 for Run values
  bool isString = true;        // false for a Run value not of type REG_SZ or REG_EXPAND_SZ (never started)
  bool readable = true;        // false for a shortcut the shell cannot read
  bool enabled = true;         // not switched off in the start-up approval data
  reg::Address approval;       // where its approval value lives
};

// How a Run value's command line is resolved: the environment (with the
// 64-bit folders, as the 64-bit system starts these values) and the folders
// a bare program name is looked for in.
struct Resolver {
  autostart::Lookup lookup;
  std::vector<std::wstring> searchFolders;
  FileSystem& files;
};

// A Run value of a string type as an entry: environment references expanded
// (for both string types), then split; the working folder is the program's.
// enabled is left true for the caller to set.
Entry FromRunValue(Source source, const std::wstring& name, const std::wstring& value, const Resolver& resolver);

// A shortcut of a Startup folder as an entry; readable is false when the
// shortcut could not be read.
Entry FromShortcut(Source source, const std::wstring& folder, const std::wstring& fileName, ShortcutStore& links);

}  // namespace autostart
