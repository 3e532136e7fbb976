// In-memory files, for the failures a real disk will not give on demand.
#pragma once

#include <map>
#include <set>
#include <string>

#include "common/fileio.h"

struct FakeFileSystem final : FileSystem {
  std::map<std::wstring, std::string> files;
  // No ordinary file / the read fails after opening / every open fails (access
  // denied, or held by a program that still lets the file be replaced).
  std::set<std::wstring> hidden, unreadable, locked;
  bool failReplace = false;
  int replacements = 0;

  std::optional<std::string> ReadAll(const std::wstring& p) override {
    return CanRead(p) && !unreadable.count(p) ? std::optional(files[p]) : std::nullopt;
  }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override {
    return !failReplace && (files[p] = b, ++replacements, true);
  }
  bool CanRead(const std::wstring& p) override { return files.count(p) != 0 && !locked.count(p); }
  bool Exists(const std::wstring& p) override { return files.count(p) != 0; }
  bool IsOrdinaryFile(const std::wstring& p) override { return files.count(p) && !hidden.count(p); }
  bool Append(const std::wstring&, const std::string&) override { return false; }
  bool CanAppend(const std::wstring&) override { return false; }
  bool IsFolder(const std::wstring&) override { return false; }
  bool AnyOrdinaryFileMatches(const std::wstring&) override { return false; }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring&) override { return {}; }
};
