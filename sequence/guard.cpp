#include "sequence/guard.h"

#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "autostart/startup_approval.h"
#include "autostart/switched_off_record.h"
#include "common/path_rules.h"
#include "common/text.h"

namespace sequence::guard {

namespace {

constexpr char kSeenHeader[] = "Tarvoline start-up entries seen";

using autostart::Change;
using autostart::ValueKey;

// An entry's identity in the list of entries seen: where its approval value
// lives, which tells the five sources apart.
std::string SeenId(const reg::Address& approvalValue) {
  return std::string(approvalValue.root == reg::Root::CurrentUser ? "HKCU\t" : "HKLM\t") +
         autostart::Escape(approvalValue.key) + "\t" + autostart::Escape(text::ToLower(approvalValue.value));
}

// The list of entries seen: id -> still to be named by the check (an entry
// that came after the take-over) or known. nullopt when there is none yet.
std::optional<std::map<std::string, bool>> LoadSeen(const std::wstring& path, FileSystem& files) {
  std::optional<std::string> bytes = files.ReadAtMost(path, autostart::kMaxFileBytes, nullptr);
  if (!bytes || bytes->rfind(kSeenHeader, 0) != 0) return std::nullopt;
  std::map<std::string, bool> seen;
  size_t start = 0;
  while (start < bytes->size()) {
    size_t end = bytes->find("\r\n", start);
    if (end == std::string::npos) end = bytes->size();
    const std::string line = bytes->substr(start, end - start);
    start = end + 2;
    if (line.size() > 2 && (line[0] == 'N' || line[0] == 'K') && line[1] == '\t') seen[line.substr(2)] = line[0] == 'N';
  }
  return seen;
}

std::string FormatSeen(const std::map<std::string, bool>& seen) {
  std::string out = std::string(kSeenHeader) + "\r\n";
  for (const auto& [id, isNew] : seen) out += (isNew ? "N\t" : "K\t") + id + "\r\n";
  return out;
}

// Why an entry that switched itself back on stays on whatever Guard says;
// nullopt when it may be switched off again. Its command line must be the
// one taken over and an item must start its program (resolved as the
// listing does, compared as the new entries are), or switching it off would
// leave the program unstarted.
std::optional<Why> WhyLeftOn(const Change& line, autostart::Entry& entry, Seams seams,
                             const std::unordered_set<std::wstring>& started) {
  seams.resolve(entry);
  if (line.command && entry.isString && entry.command != *line.command) {
    autostart::Entry then = entry;
    then.command = *line.command;
    then.program.clear();
    seams.resolve(then);
    const bool other = !then.program.empty() && !entry.program.empty() &&
                       !text::EqualsNoCase(paths::FileName(then.program, paths::Style::Windows),
                                           paths::FileName(entry.program, paths::Style::Windows));
    return other ? Why::OtherProgram : Why::CommandChanged;
  }
  // A shortcut to a shell item (no file path) is taken as an item that opens the shortcut itself.
  const bool opensShortcut = autostart::IsShortcutApproval(line.at) && started.count(text::ToLower(entry.command));
  if (!opensShortcut && (entry.program.empty() || !started.count(text::ToLower(entry.program)))) return Why::NoItem;
  return std::nullopt;
}

// Switches re-enabled entries off again: the record first (written whole,
// beside and then moved into place, once for them all), then the values.
// Each line keeps the bytes from before the take-over and gets the ones
// written now, so /restore puts back the former. Gives each entry's kind.
std::vector<Kind> SwitchOffAgain(std::vector<Change>& record, const std::vector<size_t>& lines,
                                 const std::vector<std::optional<std::string>>& now, const Places& places, Seams seams,
                                 std::uint64_t fileTime) {
  std::vector<Kind> kinds(lines.size(), Kind::SwitchedOffAgain);
  std::vector<std::string> before(lines.size());
  bool any = false;
  for (size_t k = 0; k < lines.size(); ++k) {
    Change& c = record[lines[k]];
    if (c.at.root == reg::Root::LocalMachine && !seams.registry.CanWrite(c.at)) {
      kinds[k] = Kind::NeedsAdmin;
      continue;
    }
    before[k] = c.written;
    c.written = autostart::SwitchedOffBytes(now[k], fileTime);
    any = true;
  }
  if (!any) return kinds;
  auto revert = [&](size_t k) { record[lines[k]].written = before[k]; };
  if (!seams.files.ReplaceContents(places.recordFile, autostart::FormatRecord(record))) {
    for (size_t k = 0; k < lines.size(); ++k) {
      if (kinds[k] != Kind::SwitchedOffAgain) continue;
      revert(k);
      kinds[k] = Kind::NotSwitchedOff;
    }
    return kinds;
  }
  bool reverted = false;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (kinds[k] != Kind::SwitchedOffAgain) continue;
    const Change& c = record[lines[k]];
    const reg::Status s = seams.registry.WriteBinary(c.at, c.written);
    if (s == reg::Status::Ok) continue;
    // The value is as it was: its line goes back to what /restore expects today.
    kinds[k] = s == reg::Status::Denied && c.at.root == reg::Root::LocalMachine ? Kind::NeedsAdmin : Kind::NotSwitchedOff;
    revert(k);
    reverted = true;
  }
  if (reverted) seams.files.ReplaceContents(places.recordFile, autostart::FormatRecord(record));
  return kinds;
}

// Each entry of the record against the listing: the listing says whether
// its Run value or shortcut is still there, whether it is on, and its command
// line, so an entry still off costs no read of its own.
void CheckRecord(std::vector<Change>& record, std::vector<autostart::Entry>& listed, const Places& places,
                 Seams seams, const std::unordered_set<std::wstring>& started, const Options& options, bool busy,
                 std::vector<Finding>& out) {
  // A value recorded twice is judged by its newest line, the one /restore takes first.
  std::unordered_map<std::wstring, size_t> newest, listedAt;
  for (size_t i = 0; i < record.size(); ++i) newest[ValueKey(record[i].at)] = i;
  for (size_t k = 0; k < listed.size(); ++k) listedAt.emplace(ValueKey(listed[k].approval), k);
  std::vector<size_t> lines, findingOf;
  std::vector<std::optional<std::string>> now;
  for (size_t i = 0; i < record.size(); ++i) {
    const std::wstring key = ValueKey(record[i].at);
    if (newest[key] != i) continue;
    const auto it = listedAt.find(key);
    if (it == listedAt.end()) continue;  // its Run value or shortcut is gone: left alone
    autostart::Entry& entry = listed[it->second];
    const reg::Address at = record[i].at;
    const bool changed = record[i].command && entry.isString && entry.command != *record[i].command;
    std::optional<std::string> bytes;
    bool backOn = false;
    if (entry.enabled) {
      const reg::ValueRead read = seams.registry.Read(at);
      if (read.status == reg::Status::Ok) bytes = read.bytes;
      // A value of another size is none the start-up manager wrote: left as it is.
      backOn = (read.status == reg::Status::Ok || read.status == reg::Status::Missing) && autostart::IsEnabled(bytes) &&
               (!bytes || bytes->size() == autostart::kValueSize);
    }
    if (!backOn) {
      if (changed) out.push_back({Kind::CommandChanged, at.value, entry.command});
      continue;
    }
    if (std::optional<Why> why = WhyLeftOn(record[i], entry, seams, started)) {
      out.push_back({Kind::BackOn, at.value, changed ? entry.command : std::wstring(), false, *why});
    } else if (busy || !options.switchOff) {
      out.push_back({Kind::BackOn, at.value, {}, false, busy ? Why::RecordBusy : Why::GuardOff});
    } else {
      findingOf.push_back(out.size());
      out.push_back({Kind::SwitchedOffAgain, at.value});
      lines.push_back(i);
      now.push_back(bytes);
    }
  }
  const std::vector<Kind> kinds = SwitchOffAgain(record, lines, now, places, seams, options.fileTime);
  for (size_t k = 0; k < kinds.size(); ++k) out[findingOf[k]].kind = kinds[k];
}

void FindNewEntries(const std::vector<Change>& record, std::vector<autostart::Entry>& listed, const Places& places,
                    Seams seams, const std::unordered_set<std::wstring>& started, bool remember,
                    std::vector<Finding>& out) {
  const std::optional<std::map<std::string, bool>> seen =
      places.seenFile.empty() ? std::nullopt : LoadSeen(places.seenFile, seams.files);
  std::unordered_set<std::wstring> taken;
  for (const Change& c : record) taken.insert(ValueKey(c.at));
  std::map<std::string, bool> next;
  for (autostart::Entry& e : listed) {
    const std::string id = SeenId(e.approval);
    bool isNew = false, firstSeen = false;
    if (seen && e.enabled && e.isString && !taken.count(ValueKey(e.approval))) {
      const auto it = seen->find(id);
      // A known entry stays known whatever becomes of it: no need to resolve it.
      if (it == seen->end() || it->second) {
        seams.resolve(e);
        isNew = !e.program.empty() && !text::EqualsNoCase(e.program, places.ownProgram) &&
                !started.count(text::ToLower(e.program));
        firstSeen = isNew && it == seen->end();
      }
    }
    next[id] = isNew;
    if (isNew) out.push_back({Kind::NewEntry, e.name, e.program, firstSeen});
  }
  if (remember && !places.seenFile.empty() && seen != next)
    seams.files.ReplaceContents(places.seenFile, FormatSeen(next));
}

}  // namespace

std::vector<Finding> Run(const Places& places, Seams seams, const std::vector<SequenceItem>& items,
                         const Options& options) {
  std::vector<Finding> out;
  // Without a record there was no take-over: nothing to lock, read or list.
  if (places.recordFile.empty() || !seams.files.Exists(places.recordFile)) return out;
  // Held from the record's read to the last write; the check writes nothing
  // and so waits for no one. Not had: the guard only reports.
  std::unique_ptr<FileLock> lock;
  if (options.switchOff || options.remember)
    lock = seams.files.Lock(autostart::LockFile(places.recordFile), autostart::kLockWaitMs);
  const bool busy = (options.switchOff || options.remember) && !lock;
  bool missing = false, tooLarge = false;
  std::optional<std::vector<Change>> record =
      autostart::LoadRecord(places.recordFile, seams.files, &missing, &tooLarge);
  if (tooLarge) return {{Kind::RecordTooLarge, places.recordFile}};
  if (!record) return {{Kind::RecordUnreadable, places.recordFile}};
  if (missing) return out;
  std::unordered_set<std::wstring> started;
  for (const SequenceItem& item : items) started.insert(text::ToLower(item.file));
  std::vector<autostart::Entry> listed = seams.listEntries();
  CheckRecord(*record, listed, places, seams, started, options, busy, out);
  FindNewEntries(*record, listed, places, seams, started, options.remember && !busy, out);
  return out;
}

}  // namespace sequence::guard
