#include "sequence/guard.h"

#include <algorithm>
#include <map>
#include <optional>

#include "autostart/startup_approval.h"
#include "autostart/switched_off_record.h"
#include "common/text.h"

namespace sequence::guard {

namespace {

constexpr char kSeenHeader[] = "Tarvoline start-up entries seen";

using autostart::Change;

bool SameValue(const reg::Address& a, const reg::Address& b) {
  return a.root == b.root && a.view == b.view && text::EqualsNoCase(a.key, b.key) && text::EqualsNoCase(a.value, b.value);
}

// An entry's identity in the list of entries seen: where its approval value
// lives, which tells the five sources apart.
std::string SeenId(const reg::Address& approvalValue) {
  return std::string(approvalValue.root == reg::Root::CurrentUser ? "HKCU\t" : "HKLM\t") +
         autostart::Escape(approvalValue.key) + "\t" + autostart::Escape(text::ToLower(approvalValue.value));
}

// The list of entries seen: id -> still to be named by the check (an entry
// that came after the take-over) or known. nullopt when there is none yet.
std::optional<std::map<std::string, bool>> LoadSeen(const std::wstring& path, FileSystem& files) {
  std::optional<std::string> bytes = files.ReadAll(path);
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

// Switches one re-enabled entry off again: the record's line first (written
// whole, beside and then moved into place), then the value. The line keeps
// the bytes from before the take-over and gets the ones written now, so
// /restore puts back the former.
Kind SwitchOffAgain(std::vector<Change>& record, size_t line, const std::optional<std::string>& now,
                    const Places& places, Seams seams, std::uint64_t fileTime) {
  Change& c = record[line];
  if (c.at.root == reg::Root::LocalMachine && !seams.registry.CanWrite(c.at)) return Kind::NeedsAdmin;
  const std::string before = c.written;
  c.written = autostart::SwitchedOffBytes(now, fileTime);
  if (!seams.files.ReplaceContents(places.recordFile, autostart::FormatRecord(record))) {
    c.written = before;
    return Kind::NotSwitchedOff;
  }
  const reg::Status s = seams.registry.WriteBinary(c.at, c.written);
  if (s == reg::Status::Ok) return Kind::SwitchedOffAgain;
  // The value is as it was: the line goes back to what /restore expects today.
  c.written = before;
  seams.files.ReplaceContents(places.recordFile, autostart::FormatRecord(record));
  return s == reg::Status::Denied && c.at.root == reg::Root::LocalMachine ? Kind::NeedsAdmin : Kind::NotSwitchedOff;
}

// Each entry of the record against the listing: the listing says whether
// its Run value or shortcut is still there, whether it is on, and its command
// line, so an entry still off costs no read of its own.
void CheckRecord(std::vector<Change>& record, const std::vector<autostart::Entry>& listed, const Places& places,
                 Seams seams, const Options& options, std::vector<Finding>& out) {
  for (size_t i = 0; i < record.size(); ++i) {
    // A value recorded twice is judged by its newest line, the one /restore takes first.
    bool newer = false;
    for (size_t k = i + 1; k < record.size(); ++k) newer = newer || SameValue(record[k].at, record[i].at);
    if (newer) continue;
    const reg::Address at = record[i].at;
    const auto entry = std::find_if(listed.begin(), listed.end(),
                                    [&](const autostart::Entry& e) { return SameValue(e.approval, at); });
    if (entry == listed.end()) continue;  // its Run value or shortcut is gone: left alone
    if (record[i].command && entry->isString && entry->command != *record[i].command)
      out.push_back({Kind::CommandChanged, at.value, entry->command});
    if (!entry->enabled) continue;
    const reg::ValueRead now = seams.registry.Read(at);
    if (now.status != reg::Status::Ok && now.status != reg::Status::Missing) continue;
    const std::optional<std::string> bytes =
        now.status == reg::Status::Ok ? std::optional<std::string>(now.bytes) : std::nullopt;
    // A value of another size is none the start-up manager wrote: left as it is.
    if (!autostart::IsEnabled(bytes) || (bytes && bytes->size() != autostart::kValueSize)) continue;
    out.push_back({options.switchOff ? SwitchOffAgain(record, i, bytes, places, seams, options.fileTime) : Kind::BackOn,
                   at.value});
  }
}

void FindNewEntries(const std::vector<Change>& record, std::vector<autostart::Entry>& listed, const Places& places,
                    Seams seams, const std::vector<SequenceItem>& items, const Options& options,
                    std::vector<Finding>& out) {
  const std::optional<std::map<std::string, bool>> seen =
      places.seenFile.empty() ? std::nullopt : LoadSeen(places.seenFile, seams.files);
  std::map<std::string, bool> next;
  for (autostart::Entry& e : listed) {
    const std::string id = SeenId(e.approval);
    bool isNew = false, firstSeen = false;
    const bool taken =
        std::any_of(record.begin(), record.end(), [&](const Change& c) { return SameValue(c.at, e.approval); });
    if (seen && e.enabled && e.isString && !taken) {
      const auto it = seen->find(id);
      // A known entry stays known whatever becomes of it: no need to resolve it.
      if (it == seen->end() || it->second) {
        seams.resolve(e);
        isNew = !e.program.empty() && !text::EqualsNoCase(e.program, places.ownProgram) &&
                std::none_of(items.begin(), items.end(),
                             [&](const SequenceItem& item) { return text::EqualsNoCase(item.file, e.program); });
        firstSeen = isNew && it == seen->end();
      }
    }
    next[id] = isNew;
    if (isNew) out.push_back({Kind::NewEntry, e.name, e.program, firstSeen});
  }
  if (options.remember && !places.seenFile.empty() && seen != next)
    seams.files.ReplaceContents(places.seenFile, FormatSeen(next));
}

}  // namespace

std::vector<Finding> Run(const Places& places, Seams seams, const std::vector<SequenceItem>& items,
                         const Options& options) {
  std::vector<Finding> out;
  if (places.recordFile.empty()) return out;
  bool missing = false;
  std::optional<std::vector<Change>> record = autostart::LoadRecord(places.recordFile, seams.files, &missing);
  if (!record) return {{Kind::RecordUnreadable, places.recordFile}};
  if (missing) return out;
  std::vector<autostart::Entry> listed = seams.listEntries();
  CheckRecord(*record, listed, places, seams, options, out);
  FindNewEntries(*record, listed, places, seams, items, options, out);
  return out;
}

}  // namespace sequence::guard
