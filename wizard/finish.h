// The wizard's finishing steps, after the user pressed Finish. Portable:
// every contact with the system goes through the seams passed in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "common/messages.h"
#include "common/registry.h"
#include "common/seams.h"
#include "common/shortcut.h"
#include "autostart/startup_entries.h"
#include "sequence/item_text.h"

namespace wizard {

struct FinishInputs {
  WindowHandle owner = nullptr;
  std::wstring scannedFolder;       // the text of the folder box
  std::wstring sequenceFile;        // the text of the file box
  bool createShortcut = false;      // put "Tarvoline.lnk" into the Startup folder
  bool openSequenceFile = false;    // open the sequence file
  std::wstring userStartupFolder;   // the current user's Startup folder ("" when unknown)
  std::wstring ownFolder;           // the folder that holds the wizard's executable
  bool checkSequenceFile = false;   // run Tarvoline's check on the sequence file
  // Switching the taken originals off (the folder page's second choice).
  bool switchOff = false;
  std::vector<reg::Address> taken{};  // the approval values of the entries taken
  std::wstring recordFile{};          // the record of what was switched off
  std::uint64_t fileTime = 0;         // now, as a FILETIME
  int alreadyListed = 0;              // GenerationResult::alreadyListed, told in the closing message
  std::wstring commonStartupFolder{};  // the all-users Startup folder ("" when unknown)
};

struct FinishSeams {
  Shell& shell;
  FileSystem& files;
  ShortcutStore& shortcuts;
  ui::Messages& messages;
  Processes& processes;    // starts the check
  reg::Registry& registry;  // switches the taken entries off
  sequence::Clock& clock;   // dates the items added for earlier entries
  // Resolves an entry named only (autostart::Resolve on Windows): a Run
  // value's command split as the take-over splits it, a shortcut read.
  std::function<void(autostart::Entry&)> resolveEntry;
};

// The steps behind Finish, in order: open the scanned folder (its text with
// "\" appended), put "Tarvoline.lnk" pointing to Tarvoline.exe in ownFolder
// into the Startup folder, with the sequence file quoted as its argument
// unless that is the main program's default "Startup.pmw" beside it (when
// asked; an existing shortcut is updated alike; skipped when either folder is
// unknown, so no shortcut lands in the current directory), open the sequence
// file (when asked: in TVLeditor.exe when it lies in ownFolder, else through
// the shell), start "Tarvoline.exe /check" from ownFolder on the
// sequence file (when asked; it writes its report and opens it), then the
// closing message. Failures of the steps before the message are passed over.
// When switchOff is chosen and entries were taken, they are switched off
// (switchoff::SwitchOff, the record's folder made first) only if
// "Tarvoline.lnk" in the Startup folder then points at the existing
// Tarvoline.exe in ownFolder and makes it read the sequence file; the closing
// message says what became of them (or why not) (and names the undo command)
// instead of asking the user to clear the Startup folder. A shortcut asked
// for but not made turns the message into the warning kClosingNoShortcut
// (the Startup folder is to stay as it is); any other failure told makes it
// a warning too.
// Whenever "Tarvoline.lnk" then reads the sequence file, every entry the
// record holds as still switched off (its value as written) must be started
// by an item of that file: one lacking is appended (made from the record's
// command line, else the Run value's, or from the shortcut it names, as the
// take-over makes items) and counted in the message; one that cannot be made
// (no command line, the shortcut gone, outside the code page) is put back as
// /restore puts it back, dropped from the record and named.
// Ending the program is the caller's part.
void RunFinishingSteps(const FinishInputs& in, FinishSeams seams);

}  // namespace wizard
