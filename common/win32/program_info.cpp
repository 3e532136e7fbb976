#include "program_info.h"

#include <windows.h>

#include <vector>

namespace program {

std::wstring Path() {
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

std::wstring Folder() {
  std::wstring p = Path();
  size_t slash = p.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  if (slash == 2 && p[1] == L':') return p.substr(0, 3);
  return p.substr(0, slash);
}

std::wstring VersionCaption(const std::wstring& fallbackName) {
  std::wstring path = Path();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::wstring name = fallbackName;
  unsigned major = 0, minor = 0, third = 0;
  if (size > 0) {
    std::vector<unsigned char> data(size);
    if (GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
      VS_FIXEDFILEINFO* fixed = nullptr;
      UINT len = 0;
      if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) && fixed) {
        major = HIWORD(fixed->dwFileVersionMS);
        minor = LOWORD(fixed->dwFileVersionMS);
        third = HIWORD(fixed->dwFileVersionLS);
      }
      struct LangCp { WORD lang, cp; }* trans = nullptr;
      if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&trans), &len) &&
          len >= sizeof(LangCp)) {
        wchar_t key[64];
        wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\ProductName", trans->lang, trans->cp);
        wchar_t* value = nullptr;
        if (VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &len) && value && len > 1)
          name = value;
      }
    }
  }
  return name + L" Ver." + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(third);
}

}  // namespace program
