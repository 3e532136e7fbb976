#include "cls_system_folder.h"

#include <shlobj.h>

#include <vector>

#include "raii.h"

namespace {

// Larger than any path these calls give (MAX_PATH + 1 at most).
constexpr UINT kDirectoryChars = 1024;

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// For GetWindowsDirectoryW and friends: 0 is failure, and a result not
// smaller than the buffer is the size that would have been needed.
template <class Call>
std::wstring FromDirectoryCall(Call call) {
  std::vector<wchar_t> buffer(kDirectoryChars, L'\0');
  UINT n = call(buffer.data(), kDirectoryChars);
  if (n == 0 || n >= kDirectoryChars) return L"";
  return std::wstring(buffer.data(), n);
}

std::wstring ReadCurrentVersion(const wchar_t* valueName) {
  return sysfolder::ReadRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, valueName);
}

}  // namespace

namespace sysfolder {

std::wstring GetShellFolderPath(int csidl) {
  LPITEMIDLIST raw = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &raw))) return L"";
  win::CoTaskMem<LPITEMIDLIST> list(raw);
  if (!list) return L"";
  // SHGetPathFromIDListW takes no size: the buffer must hold MAX_PATH.
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(list.get(), buffer)) return L"";
  buffer[MAX_PATH] = L'\0';
  return buffer;
}

std::wstring ReadRegistryString(HKEY root, const std::wstring& subkey, const std::wstring& valueName) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return L"";
  win::RegKey key(raw);
  std::vector<wchar_t> buffer(kRegistryChars, L'\0');
  DWORD type = REG_SZ;
  DWORD bytes = kRegistryChars * sizeof(wchar_t);
  // A value that does not fit reports ERROR_MORE_DATA and leaves the buffer
  // undefined: it gives "" like any other failure.
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &bytes) != ERROR_SUCCESS)
    return L"";
  // Taken as text whatever the type, up to the first NUL; a buffer filled
  // to the end without one holds no complete text.
  for (DWORD i = 0; i < kRegistryChars; ++i) {
    if (buffer[i] == L'\0') return std::wstring(buffer.data(), i);
  }
  return L"";
}

}  // namespace sysfolder

std::wstring clsSystemFolder::Windows() const {
  return FromDirectoryCall([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); });
}
std::wstring clsSystemFolder::System() const {
  return FromDirectoryCall([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
}
std::wstring clsSystemFolder::Temp() const {
  return FromDirectoryCall([](wchar_t* b, UINT n) { return static_cast<UINT>(GetTempPathW(n, b)); });
}

std::wstring clsSystemFolder::Desktop() const { return sysfolder::GetShellFolderPath(CSIDL_DESKTOP); }
std::wstring clsSystemFolder::Programs() const { return sysfolder::GetShellFolderPath(CSIDL_PROGRAMS); }
std::wstring clsSystemFolder::Personal() const { return sysfolder::GetShellFolderPath(CSIDL_PERSONAL); }
std::wstring clsSystemFolder::Favorites() const { return sysfolder::GetShellFolderPath(CSIDL_FAVORITES); }
std::wstring clsSystemFolder::Startup() const { return sysfolder::GetShellFolderPath(CSIDL_STARTUP); }
std::wstring clsSystemFolder::Recent() const { return sysfolder::GetShellFolderPath(CSIDL_RECENT); }
std::wstring clsSystemFolder::SendTo() const { return sysfolder::GetShellFolderPath(CSIDL_SENDTO); }
std::wstring clsSystemFolder::Fonts() const { return sysfolder::GetShellFolderPath(CSIDL_FONTS); }
std::wstring clsSystemFolder::StartMenu() const { return sysfolder::GetShellFolderPath(CSIDL_STARTMENU); }

std::wstring clsSystemFolder::Device() const { return ReadCurrentVersion(L"DevicePath"); }
std::wstring clsSystemFolder::CommonFiles() const { return ReadCurrentVersion(L"CommonFilesDir"); }
std::wstring clsSystemFolder::Config() const { return ReadCurrentVersion(L"ConfigPath"); }
std::wstring clsSystemFolder::Media() const { return ReadCurrentVersion(L"MediaPath"); }
std::wstring clsSystemFolder::ProgramFiles() const { return ReadCurrentVersion(L"ProgramFilesDir"); }
std::wstring clsSystemFolder::OldWindows() const { return ReadCurrentVersion(L"OldWinDir"); }
std::wstring clsSystemFolder::VB5Install() const {
  return sysfolder::ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Visual Basic\\5.0", L"InstallDir");
}
