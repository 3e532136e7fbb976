#include "autostart/command_line.h"

#include "common/path_rules.h"
#include "common/text.h"

namespace autostart {

namespace {

constexpr auto kStyle = paths::kPlatform;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimLeadingBlanks(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

bool HasFolder(std::wstring_view name) {
  for (wchar_t c : name)
    if (paths::IsSeparator(c, kStyle) || (kStyle == paths::Style::Windows && c == L':')) return true;
  return false;
}

// The existing file a candidate names, or nullopt.
std::optional<std::wstring> Resolve(std::wstring_view candidate, const std::vector<std::wstring>& searchFolders,
                                    FileSystem& fs) {
  // A directory search would take these as wildcards and match other files.
  if (candidate.empty() || candidate.find_first_of(L"*?") != std::wstring_view::npos) return std::nullopt;
  std::vector<std::wstring> names{std::wstring(candidate)};
  if (paths::Extension(candidate).empty()) names.push_back(std::wstring(candidate) + L".exe");
  if (HasFolder(candidate)) {
    for (const std::wstring& name : names)
      if (fs.IsOrdinaryFile(name)) return name;
    return std::nullopt;
  }
  for (const std::wstring& folder : searchFolders) {
    if (folder.empty()) continue;
    for (const std::wstring& name : names) {
      std::wstring f = folder;
      std::wstring path = paths::Join(f, name);
      if (fs.IsOrdinaryFile(path)) return path;
    }
  }
  return std::nullopt;
}

}  // namespace

std::wstring ExpandVariables(std::wstring_view text, const Lookup& lookup) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find(L'%', i);
    if (open == std::wstring_view::npos) break;
    size_t close = text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out.append(text.substr(i, open - i));
    std::wstring_view name = text.substr(open + 1, close - open - 1);
    std::optional<std::wstring> value = name.empty() ? std::nullopt : lookup(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // The closing "%" may open the next reference.
      out.append(text.substr(open, close - open));
      i = close;
    }
  }
  out.append(text.substr(i));
  return out;
}

Lookup With64BitFolders(Lookup lookup) {
  return [lookup = std::move(lookup)](std::wstring_view name) -> std::optional<std::wstring> {
    const wchar_t* native = text::EqualsNoCase(name, L"ProgramFiles")         ? L"ProgramW6432"
                            : text::EqualsNoCase(name, L"CommonProgramFiles") ? L"CommonProgramW6432"
                                                                              : nullptr;
    if (native)
      if (std::optional<std::wstring> v = lookup(native)) return v;
    return lookup(name);
  };
}

Split SplitCommandLine(std::wstring_view commandLine, const std::vector<std::wstring>& searchFolders,
                       FileSystem& fs) {
  Split split;
  std::wstring_view s = TrimLeadingBlanks(commandLine);
  if (s.empty()) return split;

  if (s.front() == L'"') {
    size_t close = s.find(L'"', 1);
    std::wstring_view quoted = s.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
    std::wstring_view rest = close == std::wstring_view::npos ? std::wstring_view() : s.substr(close + 1);
    std::optional<std::wstring> found = Resolve(quoted, searchFolders, fs);
    split.program = found ? *found : std::wstring(quoted);
    split.arguments = TrimLeadingBlanks(rest);
    split.found = found.has_value();
    return split;
  }

  size_t firstEnd = std::wstring_view::npos;
  size_t pos = 0;
  while (pos < s.size()) {
    while (pos < s.size() && !IsBlank(s[pos])) ++pos;  // the end of this word
    if (firstEnd == std::wstring_view::npos) firstEnd = pos;
    if (std::optional<std::wstring> found = Resolve(s.substr(0, pos), searchFolders, fs)) {
      split.program = *found;
      split.arguments = TrimLeadingBlanks(s.substr(pos));
      split.found = true;
      return split;
    }
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
  }
  split.program = s.substr(0, firstEnd);
  split.arguments = TrimLeadingBlanks(s.substr(firstEnd));
  return split;
}

std::vector<std::wstring> SplitSearchPath(std::wstring_view path) {
  std::vector<std::wstring> folders;
  size_t i = 0;
  while (i <= path.size()) {
    size_t end = path.find(L';', i);
    if (end == std::wstring_view::npos) end = path.size();
    std::wstring folder = text::StripQuotes(path.substr(i, end - i));
    if (!folder.empty()) folders.push_back(folder);
    i = end + 1;
  }
  return folders;
}

}  // namespace autostart
