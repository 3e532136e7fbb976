// Apart from program_info.cpp: only the programs that show their version
// link it, and with it VERSION.dll, which the sequencer then never loads.
#include "common/win32/program_info.h"

#include <windows.h>

#include <vector>

namespace win {

std::wstring VersionCaption(const std::wstring& fallbackName) {
  std::wstring path = ProgramPath();
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

}  // namespace win
