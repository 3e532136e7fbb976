#include "sequence/guard.h"

#include <algorithm>
#include <map>
#include <optional>

#include "common/path_rules.h"
#include "common/startup_approval.h"
#include "common/switched_off_record.h"
#include "common/text.h"

namespace sequence::guard {

namespace {

constexpr char kSeenHeader[] = "Tarvoline start-up entries seen";

using offrecord::Change;

bool SameValue(const reg::Address& a, const reg::Address& b) {
  return a.root == b.root && a.view == b.view && text::EqualsNoCase(a.key, b.key) && text::EqualsNoCase(a.value, b.value);
}

// An entry's identity in the list of entries seen: where its approval value
// lives, which tells the five sources apart.
std::string SeenId(const reg::Address& approvalValue) {
  return std::string(approvalValue.root == reg::Root::CurrentUser ? "HKCU\t" : "HKLM\t") +
         offrecord::Escape(approvalValue.key) +
         "\t" + offrecord::Escape(text::ToLower(approvalValue.value));
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

// Whether the entry an approval value belongs to is still there: its Run
// value or its shortcut. nullopt when that cannot be told.
std::optional<bool> EntryExists(const reg::Address& approvalValue, const Places& places, Seams seams) {
  if (std::optional<reg::Address> run = offrecord::RunValueOf(approvalValue)) {
    const reg::Status s = seams.registry.Read(*run).status;
    if (s == reg::Status::Ok || s == reg::Status::Missing) return s == reg::Status::Ok;
    return std::nullopt;
  }
  const std::wstring& folder =
      approvalValue.root == reg::Root::CurrentUser ? places.userStartup : places.commonStartup;
  if (folder.empty()) return std::nullopt;
  return seams.files.Exists(paths::Join(folder, approvalValue.value));
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
  c.written = approval::SwitchedOffBytes(now, fileTime);
  if (!seams.files.ReplaceContents(places.recordFile, offrecord::FormatRecord(record))) {
    c.written = before;
    return Kind::NotSwitchedOff;
  }
  const reg::Status s = seams.registry.WriteBinary(c.at, c.written);
  if (s == reg::Status::Ok) return Kind::SwitchedOffAgain;
  // The value is as it was: the line goes back to what /restore expects today.
  c.written = before;
  seams.files.ReplaceContents(places.recordFile, offrecord::FormatRecord(record));
  return s == reg::Status::Denied && c.at.root == reg::Root::LocalMachine ? Kind::NeedsAdmin : Kind::NotSwitchedOff;
}

void CheckRecord(std::vector<Change>& record, const Places& places, Seams seams, const Options& options,
                 std::vector<Finding>& out) {
  for (size_t i = 0; i < record.size(); ++i) {
    // A value recorded twice is judged by its newest line, the one /restore takes first.
    bool newer = false;
    for (size_t k = i + 1; k < record.size(); ++k) newer = newer || SameValue(record[k].at, record[i].at);
    if (newer) continue;
    const reg::Address at = record[i].at;
    const std::optional<std::wstring> recordedCommand = record[i].command;
    const reg::ValueRead now = seams.registry.Read(at);
    if (now.status == reg::Status::Ok || now.status == reg::Status::Missing) {
      const std::optional<std::string> bytes =
          now.status == reg::Status::Ok ? std::optional<std::string>(now.bytes) : std::nullopt;
      // A value of another size is none the start-up manager wrote: left as it is.
      const bool ours = !bytes || bytes->size() == approval::kValueSize;
      if (approval::IsEnabled(bytes) && ours && EntryExists(at, places, seams).value_or(false)) {
        const Kind kind =
            options.switchOff ? SwitchOffAgain(record, i, bytes, places, seams, options.fileTime) : Kind::BackOn;
        out.push_back({kind, at.value});
      }
    }
    if (recordedCommand) {
      if (std::optional<reg::Address> run = offrecord::RunValueOf(at)) {
        std::optional<std::wstring> command = offrecord::ReadCommand(seams.registry, *run);
        if (command && *command != *recordedCommand) out.push_back({Kind::CommandChanged, at.value, *command});
      }
    }
  }
}

void FindNewEntries(const std::vector<Change>& record, const Places& places, Seams seams,
                    const std::vector<SequenceItem>& items, const Options& options, std::vector<Finding>& out) {
  const std::optional<std::map<std::string, bool>> seen =
      places.seenFile.empty() ? std::nullopt : LoadSeen(places.seenFile, seams.files);
  std::map<std::string, bool> next;
  for (const autostart::Entry& e : seams.listEntries()) {
    const std::string id = SeenId(e.approval);
    const bool candidate =
        e.enabled && e.isString && !e.program.empty() && !text::EqualsNoCase(e.program, places.ownProgram) &&
        std::none_of(record.begin(), record.end(), [&](const Change& c) { return SameValue(c.at, e.approval); }) &&
        std::none_of(items.begin(), items.end(),
                     [&](const SequenceItem& item) { return text::EqualsNoCase(item.File, e.program); });
    bool isNew = false, firstSeen = false;
    if (candidate && seen) {
      auto it = seen->find(id);
      firstSeen = it == seen->end();
      isNew = firstSeen || it->second;
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
  std::optional<std::vector<Change>> record = offrecord::LoadRecord(places.recordFile, seams.files, &missing);
  if (!record) return {{Kind::RecordUnreadable, places.recordFile}};
  if (missing) return out;
  CheckRecord(*record, places, seams, options, out);
  FindNewEntries(*record, places, seams, items, options, out);
  return out;
}

}  // namespace sequence::guard
