#include "ini_mente.h"

#include <optional>
#include <utility>

#include "common/text.h"

namespace {

constexpr std::wstring_view kRemark = L"*REM*";
constexpr std::wstring_view kDeleted = L"*DEL*";

bool IsDeleted(const Variant& v) { return v.IsString() && v.ToString() == kDeleted; }

using text::EqualsNoCase;
using text::StartsWithNoCase;

// Group members are the stem followed by the plain decimal digits of n.
std::wstring MemberName(std::wstring_view stem, std::size_t n) {
  std::wstring name(stem);
  name += std::to_wstring(n);
  return name;
}

bool ValuesMatch(const Variant& a, const Variant& b, bool noCheckCase) {
  if (noCheckCase) return EqualsNoCase(a.ToString(), b.ToString());
  // Exactly equal: text never equals a number; numbers compare by value.
  if (a.IsString() || b.IsString()) return a.IsString() && b.IsString() && a.ToString() == b.ToString();
  std::optional<double> x = a.ToNumber(), y = b.ToNumber();
  return x && y && *x == *y;
}

}  // namespace

iniMente::iniMente(FileSystem& fs) : fs_(&fs) {}

void iniMente::Append(Entry entry) {
  // Documents hold a handful of keys; start with room for a sequence item's.
  if (entries_.capacity() == 0) entries_.reserve(7);
  entries_.push_back(std::move(entry));
}

std::ptrdiff_t iniMente::Find(std::wstring_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (EqualsNoCase(entries_[i].name(), name)) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

bool iniMente::iniLoader(const std::wstring& Filename) {
  iniFilename_ = Filename;
  if (!fs_->IsOrdinaryFile(Filename)) return false;
  entries_.clear();
  std::optional<std::string> bytes = fs_->ReadAll(Filename);
  if (!bytes) return false;
  return iniLoadText(text::FromAnsi(*bytes));
}

bool iniMente::iniLoadText(std::wstring_view text) {
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
  return true;
}

void iniMente::ParseLine(std::wstring_view line) {
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

Variant iniMente::GetiniValue(std::wstring_view ItemName, const Variant& Default) const {
  std::ptrdiff_t i = Find(ItemName);
  return i < 0 ? Default : entries_[static_cast<std::size_t>(i)].value;
}

int iniMente::SearchinGroup(std::wstring_view GroupName, const Variant& SearchItem, bool NoCheckCase) const {
  // Members are distinct entries, so the count stays below the entry count.
  for (std::size_t n = 0;; ++n) {
    Variant v = GetiniValue(MemberName(GroupName, n), Variant());
    if (v.IsEmpty()) return -1;
    if (ValuesMatch(v, SearchItem, NoCheckCase)) return static_cast<int>(n);
  }
}

std::array<Variant, 2> iniMente::GetiniGroup2(std::wstring_view GroupName) {
  if (!GroupName.empty()) {
    groupPrefix_ = GroupName;
    groupNext_ = 0;
  }
  for (std::size_t i = groupNext_; i < entries_.size(); ++i) {
    if (StartsWithNoCase(entries_[i].name(), groupPrefix_)) {
      groupNext_ = i + 1;
      return {Variant(entries_[i].name()), entries_[i].value};
    }
  }
  return {Variant(L""), Variant(L"")};
}

template <class V>
bool iniMente::Set(std::wstring_view name, V&& value, bool share, const iniMente* like) {
  if (name != kRemark) {
    std::ptrdiff_t i = Find(name);
    if (i >= 0) {
      entries_[static_cast<std::size_t>(i)].value = std::forward<V>(value);
      return true;
    }
  }
  const std::size_t at = entries_.size();
  const bool same = like && at < like->entries_.size() && *like->entries_[at].shared == name;
  Append(Entry{same ? like->entries_[at].shared : std::make_shared<const std::wstring>(name), std::forward<V>(value)});
  return true;
}

bool iniMente::SetSharingNames(std::wstring_view name, Variant&& value, const iniMente* like) {
  return Set(name, std::move(value), true, like);
}

bool iniMente::SetiniValue(std::wstring_view ItemName, const Variant& ItemValue) {
  return Set(ItemName, ItemValue, false, nullptr);
}

bool iniMente::SetiniValue(std::wstring_view ItemName, Variant&& ItemValue) {
  return Set(ItemName, std::move(ItemValue), false, nullptr);
}

bool iniMente::DeliniValue(std::wstring_view ItemName) {
  return SetiniValue(ItemName, Variant(std::wstring(kDeleted)));
}

bool iniMente::DeliniGroup(std::wstring_view GroupName) {
  for (std::size_t n = 0;; ++n) {
    std::wstring name = MemberName(GroupName, n);
    if (GetiniValue(name, Variant()).IsEmpty()) return true;
    SetiniValue(name, Variant(std::wstring(kDeleted)));
  }
}

void iniMente::MakeiniItem(std::wstring_view ItemName, const Variant& ItemValue) {
  if (GetiniValue(ItemName, Variant()).IsEmpty()) SetiniValue(ItemName, ItemValue);
}

std::wstring iniMente::iniSavertoVariable() const {
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

bool iniMente::iniSaver(const std::wstring& Filename) {
  iniFilename_ = Filename;
  if (entries_.empty()) return true;
  // Written beside the file and moved over it only when complete, so a
  // failed save never leaves the user's settings emptied or cut short.
  return fs_->ReplaceContents(Filename, text::ToAnsi(iniSavertoVariable()));
}

bool iniMente::iniSaverSameFilename() {
  std::wstring name = iniFilename_;
  return iniSaver(name);
}
