#include "switch_off.h"

#include <algorithm>
#include <cstdio>

#include "common/startup_approval.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "texts.h"

namespace wizard::switchoff {

namespace {

constexpr char kHeader[] = "TVLpreparer switched-off start-up entries";

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unhex(std::string_view s) {
  if (s.size() % 2) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < s.size(); i += 2) {
    int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

std::string Escape(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) {
    if (c >= 0x20 && c < 0x7F && c != L'%') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%%%04X", static_cast<unsigned>(c) & 0xFFFF);
      out += buf;
    }
  }
  return out;
}

std::optional<std::wstring> Unescape(std::string_view s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += static_cast<wchar_t>(static_cast<unsigned char>(s[i]));
      continue;
    }
    if (i + 4 >= s.size()) return std::nullopt;
    unsigned v = 0;
    for (size_t k = 1; k <= 4; ++k) {
      int d = HexDigit(s[i + k]);
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<unsigned>(d);
    }
    out += static_cast<wchar_t>(v);
    i += 4;
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

bool IsApprovalValue(const Change& c) {
  static const std::wstring keys[] = {std::wstring(approval::kKeyBase) + L"Run",
                                      std::wstring(approval::kKeyBase) + L"Run32",
                                      std::wstring(approval::kKeyBase) + L"StartupFolder"};
  return c.at.view == reg::View::Bits64 && std::find(std::begin(keys), std::end(keys), c.at.key) != std::end(keys) &&
         c.written.size() == approval::kValueSize && (!c.previous || c.previous->size() == approval::kValueSize);
}

// Puts one change back: the previous bytes, or no value where there was none.
bool PutBack(const Change& c, reg::Registry& registry) {
  reg::Status s = c.previous ? registry.WriteBinary(c.at, *c.previous) : registry.Delete(c.at);
  return s == reg::Status::Ok || (!c.previous && s == reg::Status::Missing);
}

// The record's changes: none when there is no file, nullopt when it cannot be read.
std::optional<std::vector<Change>> LoadRecord(const std::wstring& recordFile, FileSystem& files, bool* missing) {
  std::optional<std::string> bytes = files.ReadAll(recordFile);
  if (!bytes) {
    if (files.IsOrdinaryFile(recordFile) || files.IsFolder(recordFile)) return std::nullopt;
    if (missing) *missing = true;
    return std::vector<Change>{};
  }
  return ParseRecord(*bytes);
}

}  // namespace

std::string FormatRecord(const std::vector<Change>& changes) {
  std::string out = std::string(kHeader) + "\r\n";
  for (const Change& c : changes) {
    out += c.at.root == reg::Root::CurrentUser ? "HKCU\t" : "HKLM\t";
    out += c.at.view == reg::View::Bits64 ? "64\t" : "32\t";
    out += Escape(c.at.key) + "\t" + Escape(c.at.value) + "\t";
    out += (c.previous ? Hex(*c.previous) : std::string("-")) + "\t" + Hex(c.written) + "\r\n";
  }
  return out;
}

std::optional<std::vector<Change>> ParseRecord(std::string_view bytes) {
  std::vector<Change> changes;
  bool header = false;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    std::string_view line = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    start = end == std::string_view::npos ? bytes.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
      continue;
    }
    std::vector<std::string_view> f = Fields(line);
    if (f.size() != 6) return std::nullopt;
    if (f[1] != "64") return std::nullopt;  // the approval data lives in the 64-bit view only
    Change c;
    if (f[0] == "HKCU") c.at.root = reg::Root::CurrentUser;
    else if (f[0] == "HKLM") c.at.root = reg::Root::LocalMachine;
    else return std::nullopt;
    if (f[1] == "64") c.at.view = reg::View::Bits64;
    else if (f[1] == "32") c.at.view = reg::View::Bits32;
    else return std::nullopt;
    std::optional<std::wstring> key = Unescape(f[2]), value = Unescape(f[3]);
    std::optional<std::string> written = Unhex(f[5]);
    if (!key || !value || key->empty() || !written) return std::nullopt;
    c.at.key = *key;
    c.at.value = *value;
    if (f[4] != "-") {
      c.previous = Unhex(f[4]);
      if (!c.previous) return std::nullopt;
    }
    c.written = *written;
    // The record lies in the user's writable profile: a line that could make
    // an elevated /restore touch anything but an approval value is refused.
    if (!IsApprovalValue(c)) return std::nullopt;
    changes.push_back(std::move(c));
  }
  if (!header) return std::nullopt;
  return changes;
}

SwitchOffResult SwitchOff(const std::vector<reg::Address>& entries, std::uint64_t fileTime,
                          const std::wstring& recordFile, reg::Registry& registry, FileSystem& files) {
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
    if (!approval::IsEnabled(previous)) continue;  // switched off meanwhile: nothing to record
    // A value of another size is no approval value as the start-up manager
    // writes it: what switching it off would mean is unknown, so it stays on.
    if (previous && previous->size() != approval::kValueSize) continue;
    record.push_back(Change{at, previous, approval::SwitchedOffBytes(previous, fileTime)});
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
  std::optional<std::vector<Change>> record = LoadRecord(recordFile, files, &r.recordMissing);
  if (!record) {
    r.recordUnreadable = true;
    return r;
  }
  if (r.recordMissing) return r;
  std::vector<bool> keep(record->size(), false);
  for (size_t i = record->size(); i-- > 0;) {
    const Change& c = (*record)[i];
    reg::ValueRead now = registry.Read(c.at);
    if (now.status == reg::Status::Missing || (now.status == reg::Status::Ok && now.bytes != c.written)) {
      ++r.changedSince;
    } else if (now.status == reg::Status::Ok && PutBack(c, registry)) {
      ++r.restored;
    } else {
      keep[i] = true;
      ++r.kept;
    }
  }
  std::vector<Change> left;
  for (size_t i = 0; i < record->size(); ++i)
    if (keep[i]) left.push_back((*record)[i]);
  if (left.size() != record->size() && !files.ReplaceContents(recordFile, FormatRecord(left)))
    r.recordNotWritten = true;
  return r;
}

std::wstring RestoreMessage(const RestoreResult& r, const std::wstring& recordFile) {
  if (r.recordUnreadable) return ui::Text(texts::kRestoreUnreadable) + (L"\r\n" + recordFile);
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
