#include "common/win32/special_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace win {

std::wstring SpecialFolder(int csidl) {
  // SHGetFolderPathW takes no size: the buffer must hold MAX_PATH.
  wchar_t buffer[MAX_PATH + 1] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return L"";
  buffer[MAX_PATH] = L'\0';
  return buffer;
}

std::wstring UserStartupFolder() { return SpecialFolder(CSIDL_STARTUP); }

}  // namespace win
