// The record of the start-up entries the wizard switched off: what each
// approval value held before and what was written, so that /restore can put
// it back and Tarvoline's guard can switch an entry off again when it turns
// itself back on. The wizard writes it; both programs read it. Portable.
//
// The record is ASCII text, one change a line after a header line:
//   root TAB view TAB key TAB value name TAB previous bytes TAB written bytes [TAB command]
// root "HKCU" or "HKLM", view "64", key one of the three approval keys
// (...\StartupApproved\Run, Run32, StartupFolder), bytes in hex, 12 of them
// ("-" for a value that did not exist). The command is the Run value's
// command line at the take-over (left out for shortcuts and by older
// wizards). Any other line makes the record unreadable. In names and
// commands, "%", control characters and everything beyond ASCII are written
// "%" and four hex digits (the UTF-16 unit), so any text survives any code
// page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/registry.h"

namespace autostart {

// %LOCALAPPDATA%\Tarvoline\SwitchedOff.txt, and beside it the start-up
// entries Tarvoline saw at its last run.
inline constexpr wchar_t kFolderName[] = L"Tarvoline";
inline constexpr wchar_t kRecordName[] = L"SwitchedOff.txt";
inline constexpr wchar_t kSeenName[] = L"SeenEntries.txt";

// Neither file is read past this size (thousands of lines): a larger one is
// no record the wizard wrote, and reading it would hold up the first item.
inline constexpr std::uint64_t kMaxFileBytes = 1 << 20;

// Whoever changes the record or the list of entries seen (the wizard,
// /restore, Tarvoline's guard) holds this lock, beside the record, from its
// read to its last write, waiting for it at most kLockWaitMs; a writer that
// does not get it changes nothing.
std::wstring LockFile(const std::wstring& recordFile);
inline constexpr int kLockWaitMs = 2000;

struct Change {
  reg::Address at;
  std::optional<std::string> previous;  // nullopt: there was no value
  std::string written;
  std::optional<std::wstring> command = std::nullopt;  // the Run value at the take-over, when known
  bool operator==(const Change&) const = default;
};

std::string FormatRecord(const std::vector<Change>& changes);
// nullopt when the text is not a record (wrong header, a malformed line).
std::optional<std::vector<Change>> ParseRecord(std::string_view bytes);

// The record's changes: none (and *missing set) when there is no file,
// nullopt when it cannot be read or is past kMaxFileBytes (*tooLarge set).
std::optional<std::vector<Change>> LoadRecord(const std::wstring& recordFile, FileSystem& files, bool* missing,
                                              bool* tooLarge = nullptr);

// An approval value's identity: equal where two addresses name the same
// value (key and name compared as text::EqualsNoCase does), for lookups that
// keep a pass over the record linear in its size.
std::wstring ValueKey(const reg::Address& a);

// Puts one change back: the previous bytes, or no value where there was none.
bool PutBack(const Change& c, reg::Registry& registry);

// "%" and four hex digits for "%", control characters and non-ASCII.
std::string Escape(const std::wstring& s);
std::optional<std::wstring> Unescape(std::string_view s);

// The start-up entry an approval value belongs to: the Run value it
// approves (nullopt for a shortcut's value).
std::optional<reg::Address> RunValueOf(const reg::Address& approvalValue);
bool IsShortcutApproval(const reg::Address& approvalValue);
// A Run value's command line from its stored bytes (UTF-16, up to the first
// null); nullopt when the value is missing or cannot be read.
std::optional<std::wstring> ReadCommand(reg::Registry& registry, const reg::Address& runValue);

}  // namespace autostart
