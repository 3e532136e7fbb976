#include "tool.h"
#include "text.h"

#include <atomic>
#include <cstdint>

#include "path_rules.h"

namespace tool {
namespace {

constexpr auto kStyle = pathrules::kPlatform;

}  // namespace

bool IsAddress(std::wstring_view target) {
  using text::StartsWithNoCase;
  return StartsWithNoCase(target, L"mailto:") || StartsWithNoCase(target, L"http://") ||
         StartsWithNoCase(target, L"https://") || StartsWithNoCase(target, L"ftp://");
}

std::wstring JoinPath(std::wstring& folder, std::wstring_view name) {
  if (folder.size() == 2 && IsDriveSpec(folder)) folder += pathrules::Separator(kStyle);
  return pathrules::BuildPath(folder, name, kStyle);
}

bool IsDriveSpec(std::wstring_view path) { return (path.size() == 2 || path.size() == 3) && path[1] == L':'; }

bool IsFolderPresent(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.IsFolder(path); }

bool IsFileReadable(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.CanRead(path); }

bool IsFileWritable(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.CanAppend(path); }

std::wstring GetFileNameFromPath(std::wstring_view path) { return pathrules::FileName(path, kStyle); }

std::wstring GetBaseNameFromPath(std::wstring_view path) { return pathrules::BaseName(path, kStyle); }

std::wstring GetParentFolderFromPath(std::wstring_view path) { return pathrules::ParentFolder(path, kStyle); }

std::wstring GetExtensionFromPath(std::wstring_view path) { return pathrules::Extension(path, kStyle); }

std::wstring StripQuotes(std::wstring_view s) {
  if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"') return std::wstring(s.substr(1, s.size() - 2));
  return std::wstring(s);
}

std::wstring TrimAtNull(std::wstring_view s) { return std::wstring(s.substr(0, s.find(L'\0'))); }

std::wstring NextUniqueKey() {
  // 64 bits: fifteen digits run out long before the counter could wrap.
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t n = counter.fetch_add(1);
  std::wstring digits = std::to_wstring(n);
  if (digits.size() < 15) digits.insert(0, 15 - digits.size(), L'0');
  return L"Key" + digits;
}

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
