// Switching taken-over start-up entries off in the start-up approval data,
// and putting them back. Portable: the registry and the record file
// (common/switched_off_record.h, read by Tarvoline's guard too) come in
// through their seams.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/registry.h"
#include "autostart/switched_off_record.h"

namespace wizard::switchoff {

using autostart::Change;
using autostart::FormatRecord;
using autostart::ParseRecord;

enum class Outcome {
  SwitchedOff,       // every entry switched off and recorded
  PutBack,           // a write failed part-way; what this call wrote is put back
  PutBackFailed,     // ... and some of it could not be put back: still off, kept in the record
  RecordUnreadable,  // the existing record cannot be read: nothing switched off
  RecordBusy,        // another program held the record's lock (autostart::LockFile): nothing switched off
};
struct SwitchOffResult {
  Outcome outcome = Outcome::SwitchedOff;
  int count = 0;  // entries switched off (SwitchedOff only)
};

// Under the record's lock, switches each entry off (autostart::SwitchedOffBytes with fileTime), skips
// those already off or whose value is not 12 bytes long, and adds each change to the record file (written whole,
// beside and then moved into place) before the value is written. When a
// value cannot be read or written, or the record cannot be written,
// everything this call changed is put back, and the record keeps what could
// not be.
SwitchOffResult SwitchOff(const std::vector<reg::Address>& entries, std::uint64_t fileTime,
                          const std::wstring& recordFile, reg::Registry& registry, FileSystem& files);

struct RestoreResult {
  bool recordMissing = false;     // nothing was ever recorded
  bool recordUnreadable = false;  // left as it is; nothing done
  bool recordBusy = false;        // another program held the record's lock; nothing done
  // The record could not be updated: with no count, before any value was
  // put back (none was); otherwise the lines of values that could not be
  // put back could not be written again.
  bool recordNotWritten = false;
  int restored = 0;               // switched back on
  int changedSince = 0;           // changed by someone else since: left alone, dropped from the record
  int kept = 0;                   // could not be restored (no rights): kept in the record
};

// Under the record's lock, switches back on exactly the recorded entries
// whose current bytes are still the ones written, newest first: the
// previous bytes go back, or the value is removed where there was none. The
// record, pruned to what is not to be restored, is written first, so that
// no guard switches off again what is put back; a value that then cannot be
// put back returns to the record.
RestoreResult Restore(const std::wstring& recordFile, reg::Registry& registry, FileSystem& files);

// The one message that reports a Restore.
std::wstring RestoreMessage(const RestoreResult& r, const std::wstring& recordFile);

}  // namespace wizard::switchoff
