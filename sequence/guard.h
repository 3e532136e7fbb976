// The guard: at each start, before the first item, Tarvoline checks the
// entries the wizard switched off (autostart/switched_off_record.h). An entry
// that switched itself back on (its approval value enabled or removed while
// its Run value or shortcut is still there) is switched off again the way
// the wizard did it, with the record updated first so that /restore still
// returns it to what it was before the take-over; but only when an item of
// the sequence starts its program and its command line is still the one
// taken over, so that nothing the user switched back on goes unstarted.
// Also named: Run values whose command line changed since the take-over, and
// enabled start-up entries that came after it (neither in the sequence nor
// in the record), each once, by a list of the entries seen kept beside the
// record. The sequence check lists those entries too. The record and that
// list are changed under the record's lock (autostart::LockFile). Portable:
// the registry, the files and the listing of start-up entries come in
// through their seams.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "common/registry.h"
#include "autostart/startup_entries.h"
#include "sequence/sequence_file.h"

namespace sequence::guard {

struct Places {
  std::wstring recordFile;  // the wizard's record; "" when unknown: no guard
  std::wstring seenFile;    // the entries seen at the last run, beside the record
  std::wstring ownProgram;  // the running program: its own entry is never new
};

struct Seams {
  reg::Registry& registry;
  FileSystem& files;
  // Every start-up entry with its approval state and its command as stored,
  // not yet resolved (autostart::ListEntries(false) on Windows); asked only
  // when there is a record, so that a PC without a take-over pays nothing.
  std::function<std::vector<autostart::Entry>()> listEntries;
  // Fills in an entry's program (autostart::Resolve): asked only for an
  // entry that may be new, so a start with nothing new tests no file.
  std::function<void(autostart::Entry&)> resolve;
};

enum class Kind {
  SwitchedOffAgain,  // switched itself back on; switched off again
  BackOn,            // switched itself back on; left on, for the reason why says
  NeedsAdmin,        // switched itself back on; machine-wide and this user may not switch it off
  NotSwitchedOff,    // switched itself back on; the record or the value could not be written
  CommandChanged,    // its Run value's command line is not the one taken over
  NewEntry,          // enabled, neither in the sequence nor in the record, not there at the first guard
  RecordUnreadable,  // the record is no record: nothing checked
  RecordTooLarge,    // the record is past autostart::kMaxFileBytes: nothing checked
};

// Why an entry that switched itself back on was left on.
enum class Why {
  GuardOff,        // Guard = 0: the guard only reports
  NoItem,          // no item of the sequence starts its program
  CommandChanged,  // its Run value's command line is not the one taken over
  OtherProgram,    // ... and names a program of another name: another program took the value
  RecordBusy,      // another program held the record's lock: nothing is written
};

struct Finding {
  Kind kind = Kind::SwitchedOffAgain;
  std::wstring name = {};  // the Run value's or the shortcut's name (RecordUnreadable, RecordTooLarge: the record's path)
  std::wstring detail = {};  // CommandChanged: the command line now; NewEntry: its program
  bool firstSeen = false;  // NewEntry: not there at the last run (reported once)
  Why why = Why::GuardOff;  // BackOn
  bool operator==(const Finding&) const = default;
};

struct Options {
  bool switchOff = true;  // false: report only, write no value and no record
  bool remember = true;   // write the list of entries seen (false for the sequence check)
  std::uint64_t fileTime = 0;  // the time put into values switched off again
};

// What the guard did and found, entries of the record first, in its order.
// A list of entries seen that does not exist yet (or is past
// autostart::kMaxFileBytes) is made from what is there now, without naming
// any entry: what was there at the take-over is not new. items are the
// sequence's kept items (NoUse ones left out). Linear in the sizes of the
// record, the listing and the items.
std::vector<Finding> Run(const Places& places, Seams seams, const std::vector<SequenceItem>& items,
                         const Options& options);

}  // namespace sequence::guard
