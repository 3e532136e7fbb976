// The running processes as a launch system reports them, from a table:
// users, sessions, parents, creation times and command lines per process,
// and the path each program was started by. Path forms (short names,
// "\\?\" prefixes, subst drives, links) resolve to one final path through
// finalPaths, as the system resolves them; a path it does not list is not
// there. A snapshot is a copy: a process that ends after it (End) cannot be
// opened, and its id may go to a newer process, as on the system.
// Portable: native tests use it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/path_rules.h"
#include "common/text.h"
#include "sequence/launch_system.h"

namespace fake {

class ProcessTable : public LaunchSystem {
 public:
  struct Process {
    std::uint32_t id = 0, parent = 0;
    std::wstring path;  // as it was started, in any form
    std::optional<std::wstring> commandLine;  // nullopt: cannot be read
    std::uint64_t created = 0;
    bool sameUser = true, sameSession = true, opens = true;
    std::optional<std::uint64_t> cpuTime = 0;  // 100-ns units; nullopt: the list lacks it
  };
  std::vector<Process> processes;
  std::map<std::wstring, std::wstring> finalPaths;  // lower-cased path form -> final path
  bool canSnapshot = true;
  // Called once after the next snapshot: what changes between the list and the opening of a process.
  std::function<void()> afterSnapshot;
  std::optional<std::int64_t> steadyMs = 0;  // the steady clock, moved by the test
  int snapshots = 0, inspected = 0;  // what the code under test cost

  // Starts nothing: a table of its own for the tests of the already-running rule.
  bool EnterFolder(const std::wstring&) override { return true; }
  LaunchResult StartProgram(const std::wstring&, int, bool) override { return {}; }
  LaunchResult Open(WindowHandle, const std::wstring&, bool) override { return {}; }

  std::wstring Final(const std::wstring& path) const {
    auto it = finalPaths.find(text::ToLower(path));
    return it == finalPaths.end() ? L"" : it->second;
  }
  // Process id ended; its id is free for a newer process.
  void End(std::uint32_t id) {
    processes.erase(std::remove_if(processes.begin(), processes.end(), [id](const Process& p) { return p.id == id; }),
                    processes.end());
  }
  std::optional<std::vector<ProcessEntry>> Snapshot() override {
    ++snapshots;
    if (!canSnapshot) return std::nullopt;
    std::vector<ProcessEntry> entries;
    // The snapshot names the image by its long name, as the system has it.
    for (const Process& p : processes)
      entries.push_back({p.id, p.parent, paths::FileName(Final(p.path), paths::Style::Windows), p.created, p.cpuTime});
    if (afterSnapshot) std::exchange(afterSnapshot, nullptr)();
    return entries;
  }
  std::optional<std::int64_t> SteadyMs() override { return steadyMs; }
  std::optional<ProcessFacts> Inspect(std::uint32_t id) override {
    ++inspected;
    const Process* p = Find(id);
    if (!p || !p->opens) return std::nullopt;
    return ProcessFacts{p->created, p->sameUser, p->sameSession, Final(p->path), p->commandLine};
  }
  std::optional<std::uint64_t> CreatedAt(std::uint32_t id) override {
    const Process* p = Find(id);
    return p && p->opens ? std::optional(p->created) : std::nullopt;
  }
  std::wstring ProgramPath(const std::wstring& file, const std::wstring& folder) override {
    if (!folder.empty() && file.find(L':') == std::wstring::npos && file.find_first_of(L"\\/") != 0)
      if (std::wstring f = Final(paths::Join(folder, file, paths::Style::Windows)); !f.empty()) return f;
    return Final(file);
  }

 private:
  const Process* Find(std::uint32_t id) const {
    for (const Process& p : processes)
      if (p.id == id) return &p;
    return nullptr;
  }
};

}  // namespace fake
