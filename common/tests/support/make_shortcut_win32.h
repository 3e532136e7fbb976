// Test helper (Windows builds): writes a real shortcut file with the shell's
// own shortcut object, so that tests read what the shell writes.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "common/win32/shell_link.h"

namespace tvltest {

struct ShortcutFields {
  std::wstring target, workingDirectory;
  int showCommand = SW_SHOWNORMAL;  // 1, 3 (maximized) or 7 (minimized, not active)
  std::wstring arguments, description;
};

// Creates or overwrites lnkPath. False when the shell refuses any step.
inline bool MakeShortcut(const std::wstring& lnkPath, const ShortcutFields& fields) {
  win::ComInit com = win::InitCom();
  win::ShellLink l = win::NewShellLink();
  if (!l.file) return false;
  IShellLinkW* link = l.link.get();
  return SUCCEEDED(link->SetPath(fields.target.c_str())) &&
         SUCCEEDED(link->SetWorkingDirectory(fields.workingDirectory.c_str())) &&
         SUCCEEDED(link->SetShowCmd(fields.showCommand)) && SUCCEEDED(link->SetArguments(fields.arguments.c_str())) &&
         SUCCEEDED(link->SetDescription(fields.description.c_str())) &&
         SUCCEEDED(l.file.get()->Save(lnkPath.c_str(), TRUE));
}

// Creates lnkPath pointing at the special folder csidl (CSIDL_DRIVES: the
// computer) by its item-id list alone, as the shell makes a shortcut to a
// shell item with no file path. False when the shell refuses any step.
inline bool MakeShortcutToItem(const std::wstring& lnkPath, int csidl) {
  win::ComInit com = win::InitCom();
  win::ShellLink l = win::NewShellLink();
  PIDLIST_ABSOLUTE item = nullptr;
  if (!l.file || FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &item))) return false;
  const bool ok = SUCCEEDED(l.link.get()->SetIDList(item)) && SUCCEEDED(l.file.get()->Save(lnkPath.c_str(), TRUE));
  CoTaskMemFree(item);
  return ok;
}

// The description stored in a shortcut, read with the shell's object; ""
// when it cannot be loaded.
inline std::wstring ShortcutDescription(const std::wstring& lnkPath) {
  win::ComInit com = win::InitCom();
  win::ShellLink l = win::NewShellLink();
  wchar_t buf[1024] = L"";
  if (l.file && SUCCEEDED(l.file.get()->Load(lnkPath.c_str(), STGM_READ))) l.link.get()->GetDescription(buf, 1024);
  return buf;
}

}  // namespace tvltest
