// The guard: at each start, before the first item, Tarvoline checks the
// entries the wizard switched off (common/switched_off_record.h). An entry
// that switched itself back on (its approval value enabled or removed while
// its Run value or shortcut is still there) is switched off again the way
// the wizard did it, with the record updated first so that /restore still
// returns it to what it was before the take-over. Also named: Run values
// whose command line changed since the take-over, and enabled start-up
// entries that came after it (neither in the sequence nor in the record),
// each once, by a list of the entries seen kept beside the record. The
// sequence check lists those entries too. Portable: the registry, the files
// and the listing of start-up entries come in through their seams.
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
  BackOn,            // switched itself back on; left on (Guard = 0, or nothing to start it instead)
  NeedsAdmin,        // switched itself back on; machine-wide and this user may not switch it off
  NotSwitchedOff,    // switched itself back on; the record or the value could not be written
  CommandChanged,    // its Run value's command line is not the one taken over
  NewEntry,          // enabled, neither in the sequence nor in the record, not there at the first guard
  RecordUnreadable,  // the record is no record: nothing checked
};

struct Finding {
  Kind kind = Kind::SwitchedOffAgain;
  std::wstring name = {};  // the Run value's or the shortcut's name (RecordUnreadable: the record's path)
  std::wstring detail = {};  // CommandChanged: the command line now; NewEntry: its program
  bool firstSeen = false;  // NewEntry: not there at the last run (reported once)
  bool operator==(const Finding&) const = default;
};

struct Options {
  bool switchOff = true;  // false: report only, write no value and no record
  bool remember = true;   // write the list of entries seen (false for the sequence check)
  std::uint64_t fileTime = 0;  // the time put into values switched off again
};

// What the guard did and found, entries of the record first, in its order.
// A list of entries seen that does not exist yet is made from what is there
// now, without naming any entry: what was there at the take-over is not new.
std::vector<Finding> Run(const Places& places, Seams seams, const std::vector<SequenceItem>& items,
                         const Options& options);

}  // namespace sequence::guard
