// In-memory files, for the failures a real disk will not give on demand.
#pragma once

#include <map>
#include <set>
#include <string>

#include "common/fileio.h"

struct FakeFileSystem final : FileSystem {
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> hidden, unreadable;  // no ordinary file / the read fails after opening
  bool failReplace = false;
  int replacements = 0;

  std::optional<std::string> ReadAll(const std::wstring& p) override {
    return files.count(p) && !unreadable.count(p) ? std::optional(files[p]) : std::nullopt;
  }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override {
    return !failReplace && (files[p] = b, ++replacements, true);
  }
  bool CanRead(const std::wstring& p) override { return files.count(p) != 0; }
  bool IsOrdinaryFile(const std::wstring& p) override { return files.count(p) && !hidden.count(p); }
  bool Append(const std::wstring&, const std::string&) override { return false; }
  bool CanAppend(const std::wstring&) override { return false; }
  bool IsFolder(const std::wstring&) override { return false; }
  bool AnyOrdinaryFileMatches(const std::wstring&) override { return false; }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring&) override { return {}; }
};
