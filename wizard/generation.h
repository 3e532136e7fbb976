// Turning the shortcuts of one folder into records of a sequence file, and
// the wizard's finishing steps. Portable: every contact with the system goes
// through the seams passed in.
//
// An item is written as itemtext::ItemRecords makes it. Records
// are only ever appended; nothing already in the file is rewritten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/messages.h"
#include "common/seams.h"
#include "common/shortcut.h"
#include "wizard/takeover.h"

namespace wizard {

// True for a target that is the main program itself ("tarvoline.exe" or
// "tarvolinelite.exe" anywhere in its lower-cased file name): the program's
// own shortcut must never become an item.
bool IsMainProgramTarget(const std::wstring& targetPath);

struct GenerationSeams {
  FileSystem& files;
  ShortcutStore& shortcuts;
  itemtext::Clock& clock;
  ui::Messages& messages;
};

struct GenerationResult {
  bool ok = false;                       // what GenerateSequenceFile returns
  int written = 0;                       // records appended
  int skippedOwn = 0;                    // shortcuts to the main program left out
  std::vector<std::wstring> unreadable;  // shortcut file names that could not be read
  std::vector<std::wstring> outsideCodePage;  // ... whose target or folder the file cannot hold
  std::vector<std::wstring> takenLinks;       // file names of the folder's shortcuts taken (written or already there)
  int alreadyListed = 0;                      // taken but not written: already an item of the file
};

// Reads every ".lnk" ordinary file of folder (hidden ones are not listed),
// in the order the file system gives them, and appends one record per
// shortcut to sequenceFile in the ANSI code page. A shortcut whose target
// has no file-system path gives an item that opens the shortcut itself
// (shortcut::ItemTargetOf), titled by its file name without ".lnk".
//  - sequenceFile not writable (checked by opening it for appending, which
//    creates it empty when missing): the critical message "指定された
//    ファイルに書き込みができませんでした。" and ok = false, nothing written.
//    The same when the final append fails.
//  - An empty folder text, a missing folder or one without shortcuts: no
//    record, ok = true.
//  - A shortcut that cannot be read is left out; so is one whose target or
//    working folder the ANSI code page cannot hold, even by its short form
//    (itemtext::PathInCodePage, which the record then uses). The others are
//    written and one warning message then names every file left out; ok = true.
//    The same holds for arguments, which have no short form.
// A shortcut or entry whose File and Option are already those of an item
// the main program starts (File's letter case aside), in the file or
// earlier in this run, is not written again but counts as taken.
// All records are appended with one write after the folder has been read,
// so a shortcut that fails half-way never leaves part of a record behind.
// With a take-over plan, the folder's shortcuts named in its disabledLinks
// are left out, its entries are appended after the folder's records in the
// same write, and its unreadable shortcuts join the warning.
GenerationResult GenerateSequenceFile(const std::wstring& folder, const std::wstring& sequenceFile,
                                      GenerationSeams seams, const TakeOverPlan* plan = nullptr);

struct FinishInputs {
  WindowHandle owner = nullptr;
  std::wstring scannedFolder;       // the text of the folder box
  std::wstring sequenceFile;        // the text of the file box
  bool createShortcut = false;      // chkOpt(0)
  bool openSequenceFile = false;    // chkOpt(1)
  std::wstring userStartupFolder;   // the current user's Startup folder ("" when unknown)
  std::wstring ownFolder;           // the folder that holds the wizard's executable
  bool checkSequenceFile = false;   // run Tarvoline's check on the sequence file
  // Switching the taken originals off (the folder page's second choice).
  bool switchOff = false;
  std::vector<reg::Address> taken{};  // the approval values of the entries taken
  std::wstring recordFile{};          // the record of what was switched off
  std::uint64_t fileTime = 0;         // now, as a FILETIME
  int alreadyListed = 0;              // GenerationResult::alreadyListed, told in the closing message
};

struct FinishSeams {
  Shell& shell;
  FileSystem& files;
  ShortcutStore& shortcuts;
  ui::Messages& messages;
  Processes& processes;    // starts the check
  reg::Registry& registry;  // switches the taken entries off
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
// (switchoff::SwitchOff) only if "Tarvoline.lnk" in the Startup folder then
// points at the existing Tarvoline.exe in ownFolder and makes it read the
// sequence file; the closing message says what became of them (or why not)
// (and names the undo command) instead of asking the user to clear the
// Startup folder. A shortcut asked for but not made turns the message into
// the warning kClosingNoShortcut (the Startup folder is to stay as it is).
// Ending the program is the caller's part.
void RunFinishingSteps(const FinishInputs& in, FinishSeams seams);

}  // namespace wizard
