// A run's timeline (sequence/timeline.h) as the launch engine lives it: the
// processor usage at every tick, what held each item and until when, when
// and why it went and what came of it, when its program was ready, and each
// started program's start-up impact: the processor time it and the
// processes it started used in their first timeline::kImpactWindowMs, read
// from the process lists the run takes anyway (Listed) and one more after
// the last start. Times are steady milliseconds; the run's begin at 0.
// Portable.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "common/fileio.h"
#include "sequence/launch_system.h"
#include "sequence/settling.h"
#include "sequence/timeline.h"
#include "sequencer/start_report.h"

namespace sequencer {

class TimelineRecorder {
 public:
  // run: its begin, settings and the times since the system and the shell
  // started; nowMs: the steady clock then.
  TimelineRecorder(timeline::Run run, std::int64_t nowMs);

  // A tick: the machine's usage (when read) and, while the next item waits,
  // what holds it (nullopt: it goes on this tick).
  void Tick(std::int64_t nowMs, std::optional<double> usage, std::optional<timeline::HoldKind> holding);
  // The next item was handled as event says.
  void Went(std::int64_t nowMs, const report::ItemEvent& event);
  // The program of the item handled last has started, as id created at
  // created; watch (may be null) tells when it is ready and how it ended.
  void Started(std::int64_t nowMs, std::uint32_t id, std::uint64_t created, std::shared_ptr<ProcessWatch> watch);
  // A list of the running processes the run took at nowMs.
  void Listed(std::int64_t nowMs, const std::vector<LaunchSystem::ProcessEntry>& list);
  // Whether a list is due: a program still measured runs and the last list
  // is a second old. A program that ends between two lists takes the time
  // since the first of them with it (where its watch cannot tell it).
  bool WantsList(std::int64_t nowMs) const;
  // When the last started program's impact window closes; nullopt when none is open.
  std::optional<std::int64_t> MeasuredBy() const;
  // Every program still measured has ended itself (its watch says so), so a
  // list may show that nothing it started is left either.
  bool ProgramsEnded() const;
  // Nothing still measured ran in the last list: no impact can grow.
  bool NothingLeft() const;
  // The run as recorded, ended at nowMs with itemsLeft not handled.
  timeline::Run Finish(std::int64_t nowMs, int itemsLeft);

 private:
  struct Program {
    std::size_t item = 0;  // index into run_.items
    std::int64_t startedMs = 0;
    std::uint32_t id = 0;
    std::uint64_t created = 0;
    settling::ProcessTree tree;
    std::shared_ptr<ProcessWatch> watch;
    bool open = true;   // its window is still being measured
    bool ended = false;  // the program itself, as its watch told
  };
  std::int64_t Ms(std::int64_t nowMs) const { return nowMs - beganMs_; }
  void Poll(std::int64_t nowMs);

  timeline::Run run_;
  std::int64_t beganMs_;
  std::int64_t nextSinceMs_ = 0;   // the current item became the next one
  std::int64_t lastTickMs_ = 0;
  std::vector<timeline::Hold> holds_;  // of the current item
  std::vector<Program> programs_;
  std::int64_t listedMs_ = 0;
};

// Adds run to the timeline file at path (timeline::Append), replacing it
// whole; a file that is there but cannot be read is left as it is. False
// when nothing was written.
bool SaveRun(FileSystem& fs, const std::wstring& path, const timeline::Run& run);

// A launch system that hands every process list it takes to a recorder as
// well; the rest goes straight to system.
class ListingLaunchSystem final : public LaunchSystem {
 public:
  ListingLaunchSystem(LaunchSystem& system, TimelineRecorder& recorder) : system_(system), recorder_(recorder) {}
  bool EnterFolder(const std::wstring& folder) override { return system_.EnterFolder(folder); }
  LaunchResult StartProgram(const std::wstring& line, int show, bool watch) override {
    return system_.StartProgram(line, show, watch);
  }
  LaunchResult Open(WindowHandle owner, const std::wstring& target, bool watch) override {
    return system_.Open(owner, target, watch);
  }
  std::optional<std::vector<ProcessEntry>> Snapshot() override;
  std::optional<ProcessFacts> Inspect(std::uint32_t id) override { return system_.Inspect(id); }
  std::optional<std::uint64_t> CreatedAt(std::uint32_t id) override { return system_.CreatedAt(id); }
  std::wstring ProgramPath(const std::wstring& file, const std::wstring& folder) override {
    return system_.ProgramPath(file, folder);
  }
  std::optional<bool> InternetConnected() override { return system_.InternetConnected(); }
  std::optional<std::int64_t> SteadyMs() override { return system_.SteadyMs(); }

 private:
  LaunchSystem& system_;
  TimelineRecorder& recorder_;
};

}  // namespace sequencer
