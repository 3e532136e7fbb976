// Where Windows keeps its special folders. Every property asks the system
// afresh; none keeps state. A folder, key or value that this system does not
// have, a failing call and a path that does not fit the buffer all give ""
// (absence is the empty text, never an error). Paths come back in the form
// the system gives them: Temp() ends in "\", Windows() and System() do not
// unless they are a drive's root. Registry values are read under
// HKEY_LOCAL_MACHINE as text whatever their type, and environment references
// in expandable values stay unexpanded.
#pragma once

#include <windows.h>

#include <string>

class clsSystemFolder {
 public:
  std::wstring Windows() const;
  std::wstring System() const;
  std::wstring Temp() const;
  // Shell folders of the current user.
  std::wstring Desktop() const;
  std::wstring Programs() const;
  std::wstring Personal() const;
  std::wstring Favorites() const;
  std::wstring Startup() const;
  std::wstring Recent() const;
  std::wstring SendTo() const;
  std::wstring Fonts() const;
  std::wstring StartMenu() const;
  // HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion values.
  std::wstring Device() const;
  std::wstring CommonFiles() const;
  std::wstring Config() const;
  std::wstring Media() const;
  std::wstring ProgramFiles() const;
  std::wstring OldWindows() const;
  // HKLM\SOFTWARE\Microsoft\Visual Basic\5.0 InstallDir.
  std::wstring VB5Install() const;
};

namespace sysfolder {

// The path of a shell special folder (a CSIDL_* number); "" when this system
// has none or it is not a file-system folder.
std::wstring GetShellFolderPath(int csidl);
// A value of root\subkey read as text up to its first NUL; "" when the key or
// value is missing or the value does not fit kRegistryChars characters.
// Exposed for the properties' tests, which cannot write HKEY_LOCAL_MACHINE.
inline constexpr DWORD kRegistryChars = 4096;
std::wstring ReadRegistryString(HKEY root, const std::wstring& subkey, const std::wstring& valueName);

}  // namespace sysfolder
