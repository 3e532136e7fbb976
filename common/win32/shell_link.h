// The shell's shortcut object, created for one call, and the file swap that
// every all-or-nothing save of the suite ends with.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <string>

#include "common/win32/raii.h"

namespace win {

// The calling thread's COM for the length of one call. A thread that already
// runs another apartment model keeps it (the shell link works in both).
inline ComInit InitCom() { return ComInit(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }

// A new shell link and its file interface, both owned; file is empty when
// either could not be had.
struct ShellLink {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
};

inline ShellLink NewShellLink() {
  ShellLink l;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return l;
  l.link.reset(link);
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) l.file.reset(file);
  return l;
}

// The temporary name beside target that a complete new version is written
// to: this process's id and a count, so two writers (two programs, or two
// threads) never write the same file.
inline std::wstring TempBeside(const std::wstring& target) {
  static std::atomic<unsigned> count{0};
  return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(count++) + L".tvl-new";
}

// Moves the complete temp file over target. On failure the temp file is
// removed and target is as it was.
inline bool MoveIntoPlace(const std::wstring& temp, const std::wstring& target) {
  if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temp.c_str());
  return false;
}

}  // namespace win
