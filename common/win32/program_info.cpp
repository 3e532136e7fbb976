#include "common/win32/program_info.h"

#include <windows.h>

namespace win {

std::wstring ProgramPath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);  // long paths: the name was cut short
  }
}

std::wstring ProgramFolder() {
  std::wstring p = ProgramPath();
  size_t slash = p.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  if (slash == 2 && p[1] == L':') return p.substr(0, 3);
  return p.substr(0, slash);
}

}  // namespace win
