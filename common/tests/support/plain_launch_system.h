// A LaunchSystem over the plain process and shell seams: no ids, no watches,
// nothing found running. For tests and benchmarks that give only those seams.
#pragma once

#include "common/fileio.h"
#include "common/seams.h"
#include "common/shell_open.h"
#include "sequence/launch_system.h"

class PlainLaunchSystem final : public LaunchSystem {
 public:
  PlainLaunchSystem(Processes& processes, Shell& shell, FileSystem& fs)
      : processes_(processes), shell_(shell), fs_(fs) {}

  bool EnterFolder(const std::wstring& folder) override {
    if (folder.empty() || !IsFolderPresent(folder, fs_)) return true;
    return processes_.SetCurrentDirectory(folder);
  }
  LaunchResult StartProgram(const std::wstring& commandLine, int showState, bool) override {
    LaunchResult r;
    r.ok = processes_.Start(commandLine, showState);
    if (!r.ok) r.error = L"the program could not be started";
    return r;
  }
  LaunchResult Open(WindowHandle owner, const std::wstring& target, bool) override {
    LaunchResult r;
    r.ok = ShellOpen(owner, target, shell_, fs_);
    return r;
  }

 private:
  Processes& processes_;
  Shell& shell_;
  FileSystem& fs_;
};
