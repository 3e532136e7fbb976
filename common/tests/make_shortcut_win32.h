// Test helper (Windows builds): writes a real shortcut file with the shell's
// own shortcut object, so that tests read what the shell writes.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace tvltest {

struct ShortcutSpec {
  std::wstring target;
  std::wstring workingDirectory;
  int showCommand = SW_SHOWNORMAL;  // 1, 3 (maximized) or 7 (minimized, not active)
  std::wstring arguments;
  std::wstring description;
};

// Creates or overwrites lnkPath. False when the shell refuses any step.
inline bool MakeShortcut(const std::wstring& lnkPath, const ShortcutSpec& spec) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->SetPath(spec.target.c_str())) &&
        SUCCEEDED(link->SetWorkingDirectory(spec.workingDirectory.c_str())) &&
        SUCCEEDED(link->SetShowCmd(spec.showCommand)) && SUCCEEDED(link->SetArguments(spec.arguments.c_str())) &&
        SUCCEEDED(link->SetDescription(spec.description.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      ok = SUCCEEDED(file->Save(lnkPath.c_str(), TRUE));
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

// The arguments and description stored in a shortcut, read with the shell's
// object; false when it cannot be loaded.
inline bool ReadShortcutExtras(const std::wstring& lnkPath, std::wstring& arguments, std::wstring& description) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t buf[1024] = L"";
      if (SUCCEEDED(file->Load(lnkPath.c_str(), STGM_READ)) && SUCCEEDED(link->GetArguments(buf, 1024))) {
        arguments = buf;
        buf[0] = L'\0';
        ok = SUCCEEDED(link->GetDescription(buf, 1024));
        description = buf;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

}  // namespace tvltest
