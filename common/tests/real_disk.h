// The real disk behind a fake: tests override what should fail, and give
// short (8.3) forms of the paths a code page cannot hold, on any platform.
#pragma once

#include <map>
#include <string>

#include "common/fileio.h"

namespace fake {

// Short forms only for the paths in shortForms.
struct RealDisk : FileSystem {
  FileSystem& real = RealFileSystem();
  std::map<std::wstring, std::wstring> shortForms;
  std::optional<std::string> ReadAll(const std::wstring& p) override { return real.ReadAll(p); }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override { return real.ReplaceContents(p, b); }
  bool Append(const std::wstring& p, const std::string& b) override { return real.Append(p, b); }
  bool CanRead(const std::wstring& p) override { return real.CanRead(p); }
  bool CanAppend(const std::wstring& p) override { return real.CanAppend(p); }
  bool Exists(const std::wstring& p) override { return real.Exists(p); }
  bool IsFolder(const std::wstring& p) override { return real.IsFolder(p); }
  bool IsOrdinaryFile(const std::wstring& p) override { return real.IsOrdinaryFile(p); }
  bool AnyOrdinaryFileMatches(const std::wstring& p) override { return real.AnyOrdinaryFileMatches(p); }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring& p) override { return real.ListOrdinaryFiles(p); }
  std::optional<std::wstring> ShortPath(const std::wstring& p) override {
    auto it = shortForms.find(p);
    return it == shortForms.end() ? std::nullopt : std::optional(it->second);
  }
};

}  // namespace fake
