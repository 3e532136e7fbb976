#include "autostart/switched_off_record.h"

#include <algorithm>
#include <cstdio>

#include "autostart/startup_approval.h"
#include "common/text.h"

namespace autostart {

namespace {

constexpr char kHeader[] = "TVLpreparer switched-off start-up entries";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

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

// The three approval keys a record may name.
struct ApprovalKeys {
  std::wstring run = std::wstring(autostart::kKeyBase) + L"Run";
  std::wstring run32 = std::wstring(autostart::kKeyBase) + L"Run32";
  std::wstring folder = std::wstring(autostart::kKeyBase) + L"StartupFolder";
};
const ApprovalKeys& Keys() {
  static const ApprovalKeys keys;
  return keys;
}

bool IsApprovalValue(const Change& c) {
  const bool key = c.at.key == Keys().run || c.at.key == Keys().run32 || c.at.key == Keys().folder;
  return c.at.view == reg::View::Bits64 && key && c.written.size() == autostart::kValueSize &&
         (!c.previous || c.previous->size() == autostart::kValueSize);
}

}  // namespace

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

std::string FormatRecord(const std::vector<Change>& changes) {
  std::string out = std::string(kHeader) + "\r\n";
  for (const Change& c : changes) {
    out += c.at.root == reg::Root::CurrentUser ? "HKCU\t" : "HKLM\t";
    out += c.at.view == reg::View::Bits64 ? "64\t" : "32\t";
    out += Escape(c.at.key) + "\t" + Escape(c.at.value) + "\t";
    out += (c.previous ? Hex(*c.previous) : std::string("-")) + "\t" + Hex(c.written);
    if (c.command) {
      out += '\t';
      out += Escape(*c.command);
    }
    out += "\r\n";
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
    // Six fields as the first wizards wrote them, seven with the command.
    if (f.size() != 6 && f.size() != 7) return std::nullopt;
    if (f[1] != "64") return std::nullopt;  // the approval data lives in the 64-bit view only
    Change c;
    if (f[0] == "HKCU") c.at.root = reg::Root::CurrentUser;
    else if (f[0] == "HKLM") c.at.root = reg::Root::LocalMachine;
    else return std::nullopt;
    c.at.view = reg::View::Bits64;
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
    if (f.size() == 7) {
      c.command = Unescape(f[6]);
      if (!c.command) return std::nullopt;
    }
    // The record lies in the user's writable profile: a line that could make
    // an elevated /restore touch anything but an approval value is refused.
    if (!IsApprovalValue(c)) return std::nullopt;
    changes.push_back(std::move(c));
  }
  if (!header) return std::nullopt;
  return changes;
}

std::wstring LockFile(const std::wstring& recordFile) { return recordFile + L".lock"; }

std::optional<std::vector<Change>> LoadRecord(const std::wstring& recordFile, FileSystem& files, bool* missing,
                                              bool* tooLarge) {
  bool large = false;
  std::optional<std::string> bytes = files.ReadAtMost(recordFile, kMaxFileBytes, &large);
  if (tooLarge) *tooLarge = large;
  if (!bytes) {
    if (large || files.IsOrdinaryFile(recordFile) || files.IsFolder(recordFile)) return std::nullopt;
    if (missing) *missing = true;
    return std::vector<Change>{};
  }
  return ParseRecord(*bytes);
}

std::wstring ValueKey(const reg::Address& a) {
  return std::to_wstring(static_cast<int>(a.root)) + L'|' + std::to_wstring(static_cast<int>(a.view)) + L'|' +
         text::ToLower(a.key) + L'\0' + text::ToLower(a.value);
}

bool PutBack(const Change& c, reg::Registry& registry) {
  reg::Status s = c.previous ? registry.WriteBinary(c.at, *c.previous) : registry.Delete(c.at);
  return s == reg::Status::Ok || (!c.previous && s == reg::Status::Missing);
}

bool IsShortcutApproval(const reg::Address& approvalValue) { return approvalValue.key == Keys().folder; }

std::optional<reg::Address> RunValueOf(const reg::Address& a) {
  if (a.key == Keys().run) return reg::Address{a.root, reg::View::Bits64, kRunKey, a.value};
  // Run32 approves the 32-bit view's machine values.
  if (a.key == Keys().run32) return reg::Address{reg::Root::LocalMachine, reg::View::Bits32, kRunKey, a.value};
  return std::nullopt;
}

std::optional<std::wstring> ReadCommand(reg::Registry& registry, const reg::Address& runValue) {
  const reg::ValueRead v = registry.Read(runValue);
  if (v.status != reg::Status::Ok) return std::nullopt;
  std::wstring s;
  for (size_t i = 0; i + 1 < v.bytes.size(); i += 2) {
    const wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(v.bytes[i]) |
                                           static_cast<unsigned char>(v.bytes[i + 1]) << 8);
    if (c == L'\0') break;
    s += c;
  }
  return s;
}

}  // namespace autostart
