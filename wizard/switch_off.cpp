#include "wizard/switch_off.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "wizard/texts.h"

namespace wizard::switchoff {

using autostart::LoadRecord;
using autostart::PutBack;

SwitchOffResult SwitchOff(const std::vector<reg::Address>& entries, std::uint64_t fileTime,
                          const std::wstring& recordFile, reg::Registry& registry, FileSystem& files) {
  // Held from the read to the last write, so that a guard or /restore
  // meanwhile neither drops a line added here nor brings one back.
  const std::unique_ptr<FileLock> lock = files.Lock(autostart::LockFile(recordFile), autostart::kLockWaitMs);
  if (!lock) return {Outcome::RecordBusy, 0};
  std::optional<std::vector<Change>> loaded = LoadRecord(recordFile, files, nullptr);
  if (!loaded) return {Outcome::RecordUnreadable, 0};
  const std::vector<Change> before = std::move(*loaded);
  std::vector<Change> record = before;

  // Each change is recorded before it is made, so that no crash or kill in
  // between leaves a value switched off that /restore does not know.
  int done = 0;
  auto putBackAll = [&] {
    std::vector<bool> back(record.size(), true);
    for (size_t i = record.size(); i-- > before.size();) {
      // The value whose write failed may well be as it was (a denied write
      // leaves nothing, and a delete would be denied too).
      const reg::ValueRead now = registry.Read(record[i].at);
      const bool asBefore = record[i].previous ? now.status == reg::Status::Ok && now.bytes == *record[i].previous
                                               : now.status == reg::Status::Missing;
      back[i] = asBefore || PutBack(record[i], registry);
    }
    std::vector<Change> left = before;
    for (size_t i = before.size(); i < record.size(); ++i)
      if (!back[i]) left.push_back(record[i]);  // still off: /restore must know it
    const bool allBack = left.size() == before.size();
    // A line left for a value put back is harmless: /restore leaves alone a
    // value that is not as written.
    files.ReplaceContents(recordFile, FormatRecord(left));
    return SwitchOffResult{allBack ? Outcome::PutBack : Outcome::PutBackFailed, 0};
  };
  for (const reg::Address& at : entries) {
    reg::ValueRead now = registry.Read(at);
    if (now.status != reg::Status::Ok && now.status != reg::Status::Missing) return putBackAll();
    std::optional<std::string> previous;
    if (now.status == reg::Status::Ok) previous = now.bytes;
    if (!autostart::IsEnabled(previous)) continue;  // switched off meanwhile: nothing to record
    // A value of another size is no approval value as the start-up manager
    // writes it: what switching it off would mean is unknown, so it stays on.
    if (previous && previous->size() != autostart::kValueSize) continue;
    record.push_back(Change{at, previous, autostart::SwitchedOffBytes(previous, fileTime)});
    // The command line the item was made from, so that Tarvoline's guard can
    // tell when the program's own entry changed since.
    if (std::optional<reg::Address> run = autostart::RunValueOf(at)) record.back().command = autostart::ReadCommand(registry, *run);
    if (!files.ReplaceContents(recordFile, FormatRecord(record))) {
      record.pop_back();  // not written: nothing to put back for it
      return putBackAll();
    }
    // A write that failed may still have left something behind: it is put back too.
    if (registry.WriteBinary(at, record.back().written) != reg::Status::Ok) return putBackAll();
    ++done;
  }
  return {Outcome::SwitchedOff, done};
}

RestoreResult Restore(const std::wstring& recordFile, reg::Registry& registry, FileSystem& files) {
  RestoreResult r;
  const std::unique_ptr<FileLock> lock = files.Lock(autostart::LockFile(recordFile), autostart::kLockWaitMs);
  std::optional<std::vector<Change>> record = LoadRecord(recordFile, files, &r.recordMissing);
  if (!record) {
    r.recordUnreadable = true;
    return r;
  }
  if (r.recordMissing) return r;
  if (!lock) {
    r.recordBusy = true;
    return r;
  }
  // What each line will do, newest first, from the values as they are now; a
  // value recorded twice is put back by its newest line, and its older line
  // is judged by what that puts back.
  enum class Step { PutBack, ChangedSince, Keep };
  std::vector<Step> plan(record->size(), Step::Keep);
  std::unordered_map<std::wstring, reg::ValueRead> values;
  for (size_t i = record->size(); i-- > 0;) {
    const Change& c = (*record)[i];
    const auto [at, first] = values.try_emplace(autostart::ValueKey(c.at));
    if (first) at->second = registry.Read(c.at);
    reg::ValueRead& now = at->second;
    if (now.status == reg::Status::Missing || (now.status == reg::Status::Ok && now.bytes != c.written)) {
      plan[i] = Step::ChangedSince;
    } else if (now.status == reg::Status::Ok) {
      plan[i] = Step::PutBack;
      now = c.previous ? reg::ValueRead{reg::Status::Ok, *c.previous} : reg::ValueRead{reg::Status::Missing, {}};
    }
  }
  auto keptLines = [&](const std::vector<Step>& steps) {
    std::vector<Change> left;
    for (size_t i = 0; i < record->size(); ++i)
      if (steps[i] == Step::Keep) left.push_back((*record)[i]);
    return left;
  };
  // The record first: a record still naming a value put back would have the
  // next guard switch it off again. Not written: no value is changed.
  const std::vector<Change> left = keptLines(plan);
  if (left.size() != record->size() && !files.ReplaceContents(recordFile, FormatRecord(left))) {
    r.recordNotWritten = true;
    return r;
  }
  std::vector<Step> done = plan;
  std::unordered_set<std::wstring> failed;
  for (size_t i = record->size(); i-- > 0;) {
    const Change& c = (*record)[i];
    if (plan[i] == Step::Keep) ++r.kept;
    if (plan[i] == Step::ChangedSince) ++r.changedSince;
    if (plan[i] != Step::PutBack) continue;
    const std::wstring key = autostart::ValueKey(c.at);
    if (failed.count(key)) {
      ++r.changedSince;  // its newer line stays: this one no longer matches
    } else if (PutBack(c, registry)) {
      ++r.restored;
    } else {
      failed.insert(key);
      done[i] = Step::Keep;  // still off: /restore must know it again
      ++r.kept;
    }
  }
  if (done != plan && !files.ReplaceContents(recordFile, FormatRecord(keptLines(done)))) r.recordNotWritten = true;
  return r;
}

std::wstring RestoreMessage(const RestoreResult& r, const std::wstring& recordFile) {
  if (r.recordUnreadable) return ui::Text(texts::kRestoreUnreadable) + (L"\r\n" + recordFile);
  if (r.recordBusy) return ui::Text(texts::kRestoreBusy) + (L"\r\n" + recordFile);
  if (r.recordNotWritten && r.restored + r.changedSince + r.kept == 0)
    return ui::Text(texts::kRestoreNotWritten) + (L"\r\n" + recordFile);
  if (r.restored + r.changedSince + r.kept == 0) return ui::Text(texts::kRestoreNothing);
  std::wstring m;
  auto line = [&m](unsigned format, int n) {
    if (n == 0) return;
    if (!m.empty()) m += L"\r\n";
    m += ui::Format(ui::Text(format), {std::to_wstring(n)});
  };
  line(texts::kRestoreDone, r.restored);
  line(texts::kRestoreChanged, r.changedSince);
  line(texts::kRestoreKept, r.kept);
  if (r.restored > 0) m += L"\r\n" + ui::Text(texts::kRestoreItemsStay);
  if (r.recordNotWritten) m += L"\r\n" + ui::Text(texts::kRecordNotWritten) + L"\r\n" + recordFile;
  return m;
}

}  // namespace wizard::switchoff
