#include "common/path_rules.h"

namespace paths {
namespace {

// Where the last component lies: [start, end). start == end when the path is
// a root alone (or empty).
struct Parts {
  size_t root = 0;
  size_t start = 0;
  size_t end = 0;
};

size_t RootLength(std::wstring_view path, Style style) {
  size_t n = 0;
  if (style == Style::Windows && path.size() >= 2 && path[1] == L':') n = 2;
  while (n < path.size() && IsSeparator(path[n], style)) ++n;
  return n;
}

Parts Split(std::wstring_view path, Style style) {
  Parts p;
  p.root = RootLength(path, style);
  p.end = path.size();
  while (p.end > p.root && IsSeparator(path[p.end - 1], style)) --p.end;
  p.start = p.end;
  while (p.start > p.root && !IsSeparator(path[p.start - 1], style)) --p.start;
  return p;
}

}  // namespace

bool IsSeparator(wchar_t c, Style style) { return c == L'/' || (style == Style::Windows && c == L'\\'); }

wchar_t Separator(Style style) { return style == Style::Windows ? L'\\' : L'/'; }

std::wstring Join(std::wstring_view folder, std::wstring_view name, Style style) {
  if (folder.empty()) return std::wstring(name);
  if (name.empty()) return std::wstring(folder);
  std::wstring joined(folder);
  // A bare drive names its root here, not its current folder.
  if (style == Style::Windows && folder.size() == 2 && folder[1] == L':') joined += Separator(style);
  const bool folderEnds = IsSeparator(joined.back(), style);
  const bool nameBegins = IsSeparator(name.front(), style);
  if (folderEnds && nameBegins) {
    joined.pop_back();
  } else if (!folderEnds && !nameBegins) {
    joined += Separator(style);
  }
  joined += name;
  return joined;
}

std::wstring FileName(std::wstring_view path, Style style) {
  Parts p = Split(path, style);
  return std::wstring(path.substr(p.start, p.end - p.start));
}

std::wstring Parent(std::wstring_view path, Style style) {
  Parts p = Split(path, style);
  if (p.start == p.end) return L"";
  size_t keep = p.start;
  while (keep > p.root && IsSeparator(path[keep - 1], style)) --keep;
  return std::wstring(path.substr(0, keep));
}

std::wstring Extension(std::wstring_view path, Style style) {
  std::wstring name = FileName(path, style);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? L"" : name.substr(dot + 1);
}

std::wstring Stem(std::wstring_view path, Style style) {
  std::wstring name = FileName(path, style);
  if (!name.empty() && name.front() == L'.') return L"";
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace paths
