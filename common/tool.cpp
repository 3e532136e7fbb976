#include "tool.h"

#include "text.h"

namespace tool {

bool IsAddress(std::wstring_view target) {
  using text::StartsWithNoCase;
  return StartsWithNoCase(target, L"mailto:") || StartsWithNoCase(target, L"http://") ||
         StartsWithNoCase(target, L"https://") || StartsWithNoCase(target, L"ftp://");
}

bool IsFolderPresent(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.IsFolder(path); }

bool IsFileReadable(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.CanRead(path); }

bool IsFileWritable(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.CanAppend(path); }

std::wstring StripQuotes(std::wstring_view s) {
  if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"') return std::wstring(s.substr(1, s.size() - 2));
  return std::wstring(s);
}

std::wstring TrimAtNull(std::wstring_view s) { return std::wstring(s.substr(0, s.find(L'\0'))); }

bool ShellOpen(WindowHandle owner, const std::wstring& target, Shell& shell, FileSystem& fs) {
  if (IsAddress(target)) {
    shell.Execute(owner, target, L"", show::kNoActivate);
    return true;
  }
  // Only what a directory search finds is handed over, so a missing document
  // is never passed to the shell (which would show its own error box).
  if (target.empty() || !fs.AnyOrdinaryFileMatches(target)) return false;
  return shell.Execute(owner, target, target, show::kNoActivate) > 32;
}

}  // namespace tool
