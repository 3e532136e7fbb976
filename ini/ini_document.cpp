#include "ini/ini_document.h"

#include <utility>

#include "common/text.h"

namespace {

// The file's own spellings: a line naming kRemark is a remark, whatever
// follows; an item whose value is kDeleted is left out of a save.
constexpr std::wstring_view kRemark = L"*REM*";
constexpr std::wstring_view kDeleted = L"*DEL*";

using text::EqualsNoCase;

}  // namespace

IniDocument::IniDocument(FileSystem& fs) : fs_(&fs) {}

void IniDocument::Append(Entry entry) {
  // Documents hold a handful of keys; start with room for a sequence item's.
  if (entries_.capacity() == 0) entries_.reserve(7);
  entries_.push_back(std::move(entry));
}

std::optional<std::size_t> IniDocument::Find(std::wstring_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].kind != Kind::Remark && EqualsNoCase(entries_[i].name(), name)) return i;
  return std::nullopt;
}

bool IniDocument::Load(const std::wstring& fileName) {
  fileName_ = fileName;
  if (!fs_->IsOrdinaryFile(fileName)) return false;
  entries_.clear();
  std::optional<std::string> bytes = fs_->ReadAll(fileName);
  if (!bytes) return false;
  LoadText(text::FromAnsi(*bytes));
  return true;
}

void IniDocument::LoadText(std::wstring_view text) {
  entries_.clear();
  // A line ends at CR LF or at a lone CR; a lone LF stays inside its line.
  // A final line end gives no extra empty line.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t cr = text.find(L'\r', start);
    if (cr == std::wstring_view::npos) {
      ParseLine(text.substr(start));
      break;
    }
    ParseLine(text.substr(start, cr - start));
    start = cr + 1;
    if (start < text.size() && text[start] == L'\n') ++start;
  }
}

void IniDocument::ParseLine(std::wstring_view line) {
  // Tested on the line as read: leading spaces make ";x=1" an item.
  std::size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos || line[0] == L';' || line[0] == L'#' || line[0] == L'/' ||
      line[0] == L'[' || text::Trim(line.substr(0, eq)) == kRemark) {
    // Every remark of every document shares the one empty name.
    static const SharedName none = std::make_shared<const std::wstring>();
    Append(Entry{none, std::wstring(line), Kind::Remark});
    return;
  }
  // Only spaces are taken off the value's start; tabs and trailing spaces stay.
  std::wstring_view rest = line.substr(eq + 1);
  std::size_t b = rest.find_first_not_of(L' ');
  std::wstring value(b == std::wstring_view::npos ? std::wstring_view() : rest.substr(b));
  const Kind kind = value == kDeleted ? Kind::Deleted : Kind::Item;
  Append(Entry{std::make_shared<const std::wstring>(text::Trim(line.substr(0, eq))), std::move(value), kind});
}

std::optional<std::wstring> IniDocument::Value(std::wstring_view name) const {
  const std::optional<std::size_t> i = Find(name);
  if (!i) return std::nullopt;
  return entries_[*i].value;
}

void IniDocument::SetSharingNames(std::wstring_view name, std::wstring value, const IniDocument* like) {
  if (const std::optional<std::size_t> i = Find(name)) {
    entries_[*i].value = std::move(value);
    entries_[*i].kind = Kind::Item;
    return;
  }
  const std::size_t at = entries_.size();
  const bool same = like && at < like->entries_.size() && *like->entries_[at].shared == name;
  Append(Entry{same ? like->entries_[at].shared : std::make_shared<const std::wstring>(name), std::move(value)});
}

void IniDocument::Set(std::wstring_view name, std::wstring value) { SetSharingNames(name, std::move(value), nullptr); }

bool IniDocument::SetIfEmpty(std::wstring_view name, std::wstring value) {
  const std::optional<std::size_t> i = Find(name);
  if (i && !entries_[*i].value.empty()) return false;
  Set(name, std::move(value));
  return true;
}

std::wstring IniDocument::SaveText() const {
  std::wstring out;
  for (const Entry& e : entries_) {
    if (e.kind == Kind::Deleted) continue;
    if (e.kind == Kind::Item) {
      out += e.name();
      out += L" = ";
    }
    out += e.value;
    out += L"\r\n";
  }
  return out;
}

bool IniDocument::Save() {
  if (entries_.empty()) return true;
  // Written beside the file and moved over it only when complete, so a
  // failed save never leaves the user's settings emptied or cut short.
  return fs_->ReplaceContents(fileName_, text::ToAnsi(SaveText()));
}
