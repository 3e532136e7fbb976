#include "ini/ini_document.h"

#include <optional>
#include <utility>

#include "common/text.h"

namespace {

constexpr std::wstring_view kRemark = L"*REM*";
constexpr std::wstring_view kDeleted = L"*DEL*";

bool IsDeleted(const Variant& v) { return v.IsString() && v.ToString() == kDeleted; }

using text::EqualsNoCase;

}  // namespace

IniDocument::IniDocument(FileSystem& fs) : fs_(&fs) {}

void IniDocument::Append(Entry entry) {
  // Documents hold a handful of keys; start with room for a sequence item's.
  if (entries_.capacity() == 0) entries_.reserve(7);
  entries_.push_back(std::move(entry));
}

std::ptrdiff_t IniDocument::Find(std::wstring_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (EqualsNoCase(entries_[i].name(), name)) return static_cast<std::ptrdiff_t>(i);
  return -1;
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
  // An item named like the remark marker would be saved as a bare remark
  // ("*REM*=a=b" as the item "a"): such a line is kept as a remark itself.
  if (eq == std::wstring_view::npos || line[0] == L';' || line[0] == L'#' || line[0] == L'/' ||
      line[0] == L'[' || text::Trim(line.substr(0, eq)) == kRemark) {
    // Every remark of every document shares the one name.
    static const SharedName remark = std::make_shared<const std::wstring>(kRemark);
    Append(Entry{remark, Variant(std::wstring(line))});
    return;
  }
  // Only spaces are taken off the value's start; tabs and trailing spaces stay.
  std::wstring_view rest = line.substr(eq + 1);
  std::size_t b = rest.find_first_not_of(L' ');
  Append(Entry{std::make_shared<const std::wstring>(text::Trim(line.substr(0, eq))),
               b == std::wstring_view::npos ? Variant() : Variant(std::wstring(rest.substr(b)))});
}

Variant IniDocument::Value(std::wstring_view name, const Variant& fallback) const {
  std::ptrdiff_t i = Find(name);
  return i < 0 ? fallback : entries_[static_cast<std::size_t>(i)].value;
}

template <class V>
void IniDocument::Set(std::wstring_view name, V&& value, bool share, const IniDocument* like) {
  if (name != kRemark) {
    std::ptrdiff_t i = Find(name);
    if (i >= 0) {
      entries_[static_cast<std::size_t>(i)].value = std::forward<V>(value);
      return;
    }
  }
  const std::size_t at = entries_.size();
  const bool same = like && at < like->entries_.size() && *like->entries_[at].shared == name;
  Append(Entry{same ? like->entries_[at].shared : std::make_shared<const std::wstring>(name), std::forward<V>(value)});
}

void IniDocument::SetSharingNames(std::wstring_view name, Variant&& value, const IniDocument* like) {
  Set(name, std::move(value), true, like);
}

void IniDocument::Set(std::wstring_view name, const Variant& value) { Set(name, value, false, nullptr); }

void IniDocument::Set(std::wstring_view name, Variant&& value) { Set(name, std::move(value), false, nullptr); }

void IniDocument::SetIfEmpty(std::wstring_view name, const Variant& value) {
  if (Value(name, Variant()).IsEmpty()) Set(name, value);
}

std::wstring IniDocument::SaveText() const {
  std::wstring out;
  for (const Entry& e : entries_) {
    if (IsDeleted(e.value)) continue;
    if (e.name() != kRemark) {
      out += e.name();
      out += L" = ";
    }
    out += e.value.ToString();
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
