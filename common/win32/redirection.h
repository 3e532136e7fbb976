// File-system redirection off for a short while in a 32-bit program on
// 64-bit Windows, so that it sees (and starts) the files a 64-bit program
// would: System32 is not read as SysWOW64. Nothing else may happen inside
// the window: loading a DLL there would find the 64-bit one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/fileio.h"

namespace win {

// Off from construction to destruction; does nothing in a 64-bit program,
// on 32-bit Windows, or where the system has no such functions.
class RedirectionOff {
 public:
  RedirectionOff() {
#ifndef _WIN64
    if (!Wow64()) return;
    using Fn = BOOL(WINAPI*)(PVOID*);
    auto disable = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Wow64DisableWow64FsRedirection")));
    active_ = disable && disable(&old_);
#endif
  }
  ~RedirectionOff() {
    if (!active_) return;
    using Fn = BOOL(WINAPI*)(PVOID);
    auto revert = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Wow64RevertWow64FsRedirection")));
    if (revert) revert(old_);
  }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  // Asked once: a process does not change its bitness.
  static bool Wow64() {
    static const bool wow = [] {
      BOOL w = FALSE;
      return IsWow64Process(GetCurrentProcess(), &w) && w;
    }();
    return wow;
  }
  PVOID old_ = nullptr;
  bool active_ = false;
};

// The real file system whose tests (is it there, a file, a folder, can it
// be read) run with redirection off, each on its own; reading and writing
// files go through as they are.
class UnredirectedTests final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::wstring& p) override { return real_.ReadAll(p); }
  std::optional<std::string> ReadAtMost(const std::wstring& p, std::uint64_t limit, bool* tooLarge) override {
    return real_.ReadAtMost(p, limit, tooLarge);
  }
  std::unique_ptr<FileLock> Lock(const std::wstring& p, int waitMs) override { return real_.Lock(p, waitMs); }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override { return real_.ReplaceContents(p, b); }
  bool Append(const std::wstring& p, const std::string& b) override { return real_.Append(p, b); }
  std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& p) override { return real_.OpenForAppend(p); }
  std::optional<std::uint64_t> Size(const std::wstring& p) override { return real_.Size(p); }
  bool CanAppend(const std::wstring& p) override { return real_.CanAppend(p); }
  bool CreateFolder(const std::wstring& p) override { return real_.CreateFolder(p); }
  std::optional<std::wstring> ShortPath(const std::wstring& p) override { return real_.ShortPath(p); }
  bool CanRead(const std::wstring& p) override { RedirectionOff off; return real_.CanRead(p); }
  bool Exists(const std::wstring& p) override { RedirectionOff off; return real_.Exists(p); }
  bool IsFolder(const std::wstring& p) override { RedirectionOff off; return real_.IsFolder(p); }
  bool IsOrdinaryFile(const std::wstring& p) override { RedirectionOff off; return real_.IsOrdinaryFile(p); }
  bool AnyOrdinaryFileMatches(const std::wstring& p) override { RedirectionOff off; return real_.AnyOrdinaryFileMatches(p); }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring& p) override {
    RedirectionOff off;
    return real_.ListOrdinaryFiles(p);
  }

 private:
  FileSystem& real_ = RealFileSystem();
};

}  // namespace win
