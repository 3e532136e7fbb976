// Fakes for the seams of every program's core, shared by all tests: they
// record what the code under test asked for and answer as each test sets
// them up. Portable: no Windows header, so native tests use them too.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/messages.h"
#include "common/registry.h"
#include "common/seams.h"
#include "common/shortcut.h"

namespace fake {

// In-memory files, for the failures a real disk will not give on demand.
// Reading, replacing and appending are modelled, with the sharing of Windows
// for a file held open for appending (OpenForAppend): others may read it but
// not append to it, replace it or open it for appending again. Folders are
// names only; one cannot be made where a file or a locked name is. A lock is
// had by one holder at a time, this file system's or another program's
// (lockedByOthers), as an unshared open is. Searches find nothing.
struct FileSystem : ::FileSystem {
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> folders;
  // No ordinary file / the read fails after opening / every open fails (access
  // denied, or held by a program that still lets the file be replaced).
  std::set<std::wstring> hidden, unreadable, locked;
  // Held open for appending: by another program (until the test lets go), or
  // by a handle of this file system (until it is destroyed).
  std::set<std::wstring> held;
  // Locks held by another program (never let go here), and by this one.
  std::set<std::wstring> lockedByOthers, locks;
  bool failReplace = false;
  int replacements = 0, appendOpens = 0, lockWaits = 0;

  std::optional<std::string> ReadAll(const std::wstring& p) override {
    return CanRead(p) && !unreadable.count(p) ? std::optional(files[p]) : std::nullopt;
  }
  std::optional<std::string> ReadAtMost(const std::wstring& p, std::uint64_t limit, bool* tooLarge) override {
    if (!files.count(p) || files[p].size() <= limit) return ReadAll(p);
    if (tooLarge) *tooLarge = true;
    return std::nullopt;
  }
  struct Locked : FileLock {
    FileSystem& fs;
    std::wstring path;
    Locked(FileSystem& f, std::wstring p) : fs(f), path(std::move(p)) { fs.locks.insert(path); }
    ~Locked() override { fs.locks.erase(path); }
  };
  // A lock held by anyone is waited for in vain: counted, never had.
  std::unique_ptr<FileLock> Lock(const std::wstring& p, int) override {
    if (lockedByOthers.count(p) || locks.count(p)) return ++lockWaits, nullptr;
    return std::make_unique<Locked>(*this, p);
  }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override {
    return !failReplace && !held.count(p) && !locked.count(p) && (files[p] = b, ++replacements, true);
  }
  bool CanRead(const std::wstring& p) override { return files.count(p) != 0 && !locked.count(p); }
  // As Windows reads it from the folder's entry: locked or not.
  std::optional<std::uint64_t> Size(const std::wstring& p) override {
    return files.count(p) ? std::optional<std::uint64_t>(files[p].size()) : std::nullopt;
  }
  bool Exists(const std::wstring& p) override { return files.count(p) != 0 || folders.count(p) != 0; }
  bool IsOrdinaryFile(const std::wstring& p) override { return files.count(p) && !hidden.count(p); }
  bool Append(const std::wstring& p, const std::string& b) override { return CanAppend(p) && (files[p] += b, true); }
  bool CanAppend(const std::wstring& p) override { return !held.count(p) && !locked.count(p); }

  struct Held : AppendFile {
    FileSystem& fs;
    std::wstring path;
    Held(FileSystem& f, std::wstring p) : fs(f), path(std::move(p)) { fs.held.insert(path); }
    ~Held() override { fs.held.erase(path); }
    bool Write(const std::string& b) override { return fs.files[path] += b, true; }
  };
  std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& p) override {
    if (!CanAppend(p)) return nullptr;
    ++appendOpens;
    files[p];  // created when missing
    return std::make_unique<Held>(*this, p);
  }
  bool IsFolder(const std::wstring& p) override { return folders.count(p) != 0; }
  bool CreateFolder(const std::wstring& p) override { return !files.count(p) && !locked.count(p) && (folders.insert(p), true); }
  bool AnyOrdinaryFileMatches(const std::wstring&) override { return false; }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring&) override { return {}; }
};

// The real disk behind a fake: tests override what should fail, and give
// short (8.3) forms of the paths a code page cannot hold, on any platform.
// Short forms only for the paths in shortForms.
struct RealDisk : ::FileSystem {
  ::FileSystem& real = RealFileSystem();
  std::map<std::wstring, std::wstring> shortForms;
  std::optional<std::string> ReadAll(const std::wstring& p) override { return real.ReadAll(p); }
  std::optional<std::string> ReadAtMost(const std::wstring& p, std::uint64_t limit, bool* tooLarge) override {
    return real.ReadAtMost(p, limit, tooLarge);
  }
  std::unique_ptr<FileLock> Lock(const std::wstring& p, int waitMs) override { return real.Lock(p, waitMs); }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override { return real.ReplaceContents(p, b); }
  bool Append(const std::wstring& p, const std::string& b) override { return real.Append(p, b); }
  std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& p) override { return real.OpenForAppend(p); }
  bool CanRead(const std::wstring& p) override { return real.CanRead(p); }
  std::optional<std::uint64_t> Size(const std::wstring& p) override { return real.Size(p); }
  bool CanAppend(const std::wstring& p) override { return real.CanAppend(p); }
  bool Exists(const std::wstring& p) override { return real.Exists(p); }
  bool IsFolder(const std::wstring& p) override { return real.IsFolder(p); }
  bool CreateFolder(const std::wstring& p) override { return real.CreateFolder(p); }
  bool IsOrdinaryFile(const std::wstring& p) override { return real.IsOrdinaryFile(p); }
  bool AnyOrdinaryFileMatches(const std::wstring& p) override { return real.AnyOrdinaryFileMatches(p); }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring& p) override { return real.ListOrdinaryFiles(p); }
  std::optional<std::wstring> ShortPath(const std::wstring& p) override {
    auto it = shortForms.find(p);
    return it == shortForms.end() ? std::nullopt : std::optional(it->second);
  }
};

struct Clock : sequence::Clock {
  sequence::Date today{2001, 5, 12};
  sequence::Date Today() override { return today; }
};

// Records the messages instead of showing them.
struct Messages : ui::Messages {
  std::vector<std::pair<std::wstring, ui::MessageIcon>> shown;
  void Show(const std::wstring& t, ui::MessageIcon i) override { shown.emplace_back(t, i); }
};

// Records what would have been opened and answers with result.
struct Shell : ::Shell {
  struct Call { std::wstring file, directory; int showState; };
  std::vector<Call> calls;
  std::vector<std::wstring> opened;  // the files of calls
  std::intptr_t result = 42;
  std::intptr_t Execute(WindowHandle, const std::wstring& file, const std::wstring& directory,
                        int showState) override {
    return calls.push_back({file, directory, showState}), opened.push_back(file), result;
  }
};

// Records the command lines; starts answers every Start.
struct Processes : ::Processes {
  std::vector<std::wstring> started;
  bool starts = true;
  bool Start(const std::wstring& commandLine, int) override { return started.push_back(commandLine), starts; }
  bool SetCurrentDirectory(const std::wstring&) override { return true; }
};

// Shortcuts by full path; a path not in the map cannot be read. A target that
// is a shell item with no file path is an empty TargetPath, as the shell reads it.
struct Shortcuts : ShortcutStore {
  std::map<std::wstring, ShortcutInfo> links;
  std::vector<std::pair<std::wstring, std::wstring>> setTargets;  // (link, target + "|" + arguments)
  int reads = 0;
  bool saves = false;  // what SetTarget answers
  std::optional<ShortcutInfo> Read(const std::wstring& p) override {
    ++reads;
    auto it = links.find(p);
    return it == links.end() ? std::nullopt : std::optional<ShortcutInfo>(it->second);
  }
  // A saved shortcut reads back as saved, as the shell's does.
  bool SetTarget(const std::wstring& lnk, const std::wstring& target, const std::wstring& arguments) override {
    setTargets.emplace_back(lnk, target + L"|" + arguments);
    if (saves) {
      ShortcutInfo& l = links[lnk];
      l.targetPath = target;
      l.arguments = arguments;
    }
    return saves;
  }
};

// Values by address; writes to an address in denied fail for want of rights,
// as do CanWrite checks of its key (an entry with no value name denies the
// whole key).
struct Registry : reg::Registry {
  std::map<std::wstring, std::string> values;
  std::vector<reg::Address> denied;
  int writes = 0;
  static std::wstring Id(const reg::Address& a) {
    return std::to_wstring(int(a.root)) + L"|" + std::to_wstring(int(a.view)) + L"|" + a.key + L"|" + a.value;
  }
  bool IsDenied(const reg::Address& a) const {
    for (const reg::Address& d : denied)
      if (d.root == a.root && d.key == a.key && (d.value.empty() || d.value == a.value)) return true;
    return false;
  }
  reg::ValueRead Read(const reg::Address& a) override {
    auto v = Get(a);
    return v ? reg::ValueRead{reg::Status::Ok, *v} : reg::ValueRead{reg::Status::Missing, {}};
  }
  reg::Status WriteBinary(const reg::Address& a, const std::string& bytes) override {
    return IsDenied(a) ? reg::Status::Denied : (++writes, Set(a, bytes), reg::Status::Ok);
  }
  reg::Status Delete(const reg::Address& a) override {
    return IsDenied(a) ? reg::Status::Denied : values.erase(Id(a)) ? reg::Status::Ok : reg::Status::Missing;
  }
  bool CanWrite(const reg::Address& a) override { return !IsDenied({a.root, a.view, a.key, L""}); }
  void Set(const reg::Address& a, std::string bytes) { values[Id(a)] = std::move(bytes); }
  // A string value as the system stores it: UTF-16LE with its null.
  void SetString(const reg::Address& a, const std::wstring& s) {
    std::string bytes;
    for (wchar_t c : s + L'\0') bytes += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF)};
    Set(a, bytes);
  }
  std::optional<std::string> Get(const reg::Address& a) const {
    auto it = values.find(Id(a));
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
};

}  // namespace fake
