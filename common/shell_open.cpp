#include "common/shell_open.h"

#include "common/text.h"

bool IsAddress(std::wstring_view target) {
  using text::StartsWithNoCase;
  return StartsWithNoCase(target, L"mailto:") || StartsWithNoCase(target, L"http://") ||
         StartsWithNoCase(target, L"https://") || StartsWithNoCase(target, L"ftp://");
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
