// Which start-up entries the wizard takes over, and where their approval
// values are when the originals are switched off. Portable: the entries come
// from the enumerator (autostart::ListEntries on Windows), the rights check
// through the registry seam.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/registry.h"
#include "autostart/startup_entries.h"

namespace wizard {

// The folder page's choices, decided before generation.
struct TakeOverChoices {
  bool runEntries = false;           // take the Run values (and the all-users Startup folder) too
  bool switchOff = false;            // switch the taken originals off at Finish
  bool folderIsUserStartup = false;  // the folder box holds the user's Startup folder
  // Also the machine's entries (HKLM Run values, all-users shortcuts): their
  // approval is machine-wide, so switching them off takes them from every
  // account of the PC. Only when the user chooses it knowingly.
  bool machineEntries = false;
};

struct TakenEntry {
  std::wstring title;  // sequence::RecordTitle
  std::wstring body;  // sequence::ItemBody
  std::wstring file, arguments;  // the body's File and Option
  reg::Address approval;
};

struct TakeOverPlan {
  std::vector<TakenEntry> entries;          // records after the folder's shortcuts, in order
  std::vector<std::wstring> disabledLinks;  // shortcuts of the user's folder switched off: not taken
  std::vector<std::wstring> unreadable;     // shortcuts of the all-users folder that cannot be read
  std::vector<std::wstring> notStrings;     // Run values of another type: left out and named
  std::vector<std::wstring> needAdmin;      // machine entries whose approval key is not writable
  std::vector<std::wstring> outsideCodePage;  // entries the sequence file cannot hold (sequence::ItemInCodePage)
  int skippedOwn = 0;                       // entries naming the main program
};

// From every listed entry:
//  - the user's folder's shortcuts only give disabledLinks (the folder itself
//    is read by generation), and only when the folder box holds that folder;
//  - Run values (and all-users shortcuts, when the folder box holds the
//    user's Startup folder) are taken when runEntries is chosen (the
//    machine's ones only with machineEntries too), except those
//    switched off, naming the main program, empty, of another type, or, while
//    switchOff is chosen, machine entries whose approval key the wizard
//    cannot write, and those whose program, folder or arguments the
//    sequence file cannot hold even by the short form (left out, so never
//    switched off).
TakeOverPlan PlanTakeOver(const std::vector<autostart::Entry>& listed, const TakeOverChoices& choices,
                          reg::Registry& registry, FileSystem& files);

// An entry as the item that takes it over: titled and shown as PlanTakeOver
// takes it; nullopt when the sequence file cannot hold its program, folder
// or arguments even by the short form.
std::optional<TakenEntry> TakenEntryOf(const autostart::Entry& e, FileSystem& files);

// The one message naming what was left out for its type or for rights; ""
// when nothing was.
std::wstring LeftOutMessage(const TakeOverPlan& plan);

}  // namespace wizard
