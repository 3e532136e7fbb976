#include "ini/sequence_records.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "common/text.h"

namespace records {

namespace {

constexpr wchar_t kSeparator = L'\x0001';
// Byte 1 is U+0001 in every ANSI code page and never part of a longer
// character, so the file's bytes may be cut right after it.
constexpr char kSeparatorByte = '\x01';
// The file is converted a piece of about this many bytes at a time, each cut
// after a separator: the wide text of a large file is never held whole.
constexpr std::size_t kPieceBytes = std::size_t{1} << 18;


}  // namespace

// Turns records, handed over in file order, into items, three records an
// item. The bodies share their names through IniDocument: every item of a
// sequence file has the same keys, and sharing them saves most of the load's
// allocations.
class Loader {
 public:
  Loader(FileSystem& fs, std::size_t records) : fs_(fs) { items_.reserve((records + 2) / 3); }

  void Record(std::wstring_view record) {
    switch (field_) {
      case 0:
        items_.emplace_back(fs_).title = record;
        break;
      case 1:
        items_.back().second = record;
        break;
      default:
        for (;;) {
          std::size_t end = record.find(L"\r\n");
          StoreBodyLine(record.substr(0, end));
          if (end == std::wstring_view::npos) break;
          record.remove_prefix(end + 2);
        }
    }
    field_ = (field_ + 1) % 3;
  }

  // The records of one stretch of text: the pieces between its separators.
  void Records(std::wstring_view text) {
    for (;;) {
      std::size_t sep = text.find(kSeparator);
      Record(text.substr(0, sep));
      if (sep == std::wstring_view::npos) break;
      text.remove_prefix(sep + 1);
    }
  }

  // An item cut short by the end of the file gets "" for its second record
  // (a missing body adds nothing).
  std::vector<Item> Finish() {
    if (field_ == 1) Record({});
    return std::move(items_);
  }

 private:
  const IniDocument* Previous() const { return items_.size() > 1 ? &items_[items_.size() - 2].body : nullptr; }

  void StoreBodyLine(std::wstring_view line) {
    if (line.empty() || line[0] == L'#' || line[0] == L';') return;
    std::size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos) return;
    items_.back().body.SetSharingNames(text::Trim(line.substr(0, eq)), std::wstring(text::Trim(line.substr(eq + 1))),
                                       Previous());
  }

  FileSystem& fs_;
  std::vector<Item> items_;
  // Which record of its item comes next: the title, the second, the body.
  int field_ = 0;
};

std::vector<Item> Load(const std::wstring& path, FileSystem& fs) {
  if (!fs.CanRead(path)) return {};
  std::optional<std::string> read = fs.ReadAll(path);
  if (!read || read->empty()) return {};
  // One final separator gives no empty record after it.
  std::string_view bytes(*read);
  if (bytes.back() == kSeparatorByte) bytes.remove_suffix(1);
  Loader loader(fs, static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), kSeparatorByte)) + 1);
  for (;;) {
    const char* cut = bytes.size() > kPieceBytes
                          ? static_cast<const char*>(std::memchr(bytes.data() + kPieceBytes, kSeparatorByte,
                                                                 bytes.size() - kPieceBytes))
                          : nullptr;
    if (!cut) {
      loader.Records(text::FromAnsi(bytes));
      break;
    }
    const std::size_t length = static_cast<std::size_t>(cut - bytes.data());
    loader.Records(text::FromAnsi(bytes.substr(0, length)));
    bytes.remove_prefix(length + 1);
  }
  return loader.Finish();
}

std::vector<Item> FromText(std::wstring_view text, FileSystem& fs) {
  if (text.empty()) return {};
  if (text.back() == kSeparator) text.remove_suffix(1);
  Loader loader(fs, static_cast<std::size_t>(std::count(text.begin(), text.end(), kSeparator)) + 1);
  loader.Records(text);
  return loader.Finish();
}

}  // namespace records
