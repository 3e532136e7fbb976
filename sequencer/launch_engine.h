// The launch engine: what the main window's timer does on every tick. It
// reads the processor usage, shows it, and either counts one more tick of
// waiting or starts the next item, one at a time in list order. After the
// last item it stops the timer and ends the program.
//
// Rule: keep at least IntervalTime between two starts (and before the first);
// start as soon as the usage is at or below CPULimit; never wait longer than
// MaxIdleTime. Time is counted in ticks: waited = interval × ticks waited.
// Unless SettleWait = 0 (the classic rule), a usage above CPULimit does not
// hold the next start once the program started last, with the processes it
// started, has settled: it used at most CPULimit percent of one processor
// over the last second (settling::SettleMeter); a machine kept busy by work
// nobody asked the run to pace then no longer stretches every wait to
// MaxIdleTime. A processor time that cannot be read falls back to the classic rule.
// With ReadyWait the next start also waits until the program started before
// it has finished starting, within the same MaxIdleTime. A program that is
// already running (running::FindRunning: this user, this session, the same
// program and arguments, not started by this run) is not started again;
// the running processes are listed anew for each item tested, except within
// a burst of items found running (running::ProcessList).
//
// Per item, Delay first holds the item back for that long after the previous
// start (for the first, after the timer began); the rule above then counts
// from the end of the hold. Network then also waits, from the end of the
// hold and for at most that long, until the PC has internet access. One
// queue: an item that waits holds back the items after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/seams.h"
#include "sequence/launch_system.h"
#include "sequence/sequence_file.h"
#include "sequence/settling.h"
#include "sequencer/cpu_meter.h"
#include "sequencer/start_report.h"
#include "sequence/timeline.h"

namespace sequencer {
class TimelineRecorder;
}

// Small icons of the list entries (1-based, as the window's image list).
namespace itemicon {
constexpr int kFailed = 1;   // grey
constexpr int kStarted = 2;  // bright red
constexpr int kWaiting = 3;  // dark red
constexpr int kRunning = 4;  // blue: already running, not started again
}  // namespace itemicon

// The window as the engine sees it. Rows are the items' indexes in the list.
class LaunchView {
 public:
  virtual ~LaunchView() = default;
  // Puts the usage (already rounded to two decimals) into the processor bar.
  virtual void ShowCpuLoad(double percent) = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  // Check mark, selection, scrolled into view, small icon 2, in this order.
  virtual void MarkStarted(int row) = 0;
  virtual void SetItemIcon(int row, int icon) = 0;
  virtual void SetProgress(int value) = 0;
  // Repaints the window at once, before a start that may take a while.
  virtual void RepaintNow() = 0;
  // Owner window for the shell.
  virtual WindowHandle Owner() = 0;
  virtual void StopTimer() = 0;
  // Ends the program at once (the window is not unloaded).
  virtual void EndProgram() = 0;
};

struct LaunchSettings {
  double cpuLimit = sequence::kDefaultCPULimit;
  double maxIdleTime = sequence::kDefaultMaxIdleTime;
  double intervalTime = sequence::kDefaultIntervalTime;
  bool readyWait = false;   // also wait until the previous program is ready
  bool skipRunning = true;  // do not start a program that is already running
  bool settleWait = true;   // a settled previous program lets the next go on a busy machine

  // The settings of a run that the engine goes by.
  static LaunchSettings From(const sequence::Settings& s) {
    return {s.cpuLimit, s.maxIdleTime, s.intervalTime, s.readyWait, s.skipRunning, s.settleWait};
  }
};

class LaunchEngine {
 public:
  enum class Outcome {
    Waited,   // one more tick counted
    Started,  // the next item was started (or handed to the shell)
    Failed,   // the next item could not be started and was marked failed
    Running,  // the next item's program was already running: not started again
    Idle,     // nothing left to do
  };

  // items, view and system must outlive the engine. meter may be null (no
  // meter on this platform): every item then fails. Programs and documents
  // are started through system, in the item's working folder; report may be
  // null (no report).
  LaunchEngine(const std::vector<sequence::SequenceItem>& items, LaunchSettings settings, LaunchView& view,
               CpuMeter* meter, LaunchSystem& system, report::StartReport* report);

  // One tick of a timer whose interval is intervalMs milliseconds.
  Outcome Tick(int intervalMs);
  // The user closed the window: the report tells how many items were left.
  void Closed();

  void SetMeter(CpuMeter* meter) { meter_ = meter; }
  // Records the run's timeline too (null: not recorded); must outlive the engine.
  void SetTimeline(sequencer::TimelineRecorder* timeline) { timeline_ = timeline; }
  int CurrentIndex() const { return currentIndex_; }
  bool Finished() const { return currentIndex_ >= static_cast<int>(items_.size()); }

  // Whether this tick starts the next item: at least IntervalTime waited, and
  // either calm (the usage at or below CPULimit, or the previous program
  // settled) with the previous program ready, or MaxIdleTime reached.
  // Equality starts. previousReady is true without ReadyWait, and when there
  // is no program to wait for.
  static bool ShouldStart(double waited, bool calm, bool previousReady, const LaunchSettings& s) {
    return waited >= s.intervalTime && ((calm && previousReady) || waited >= s.maxIdleTime);
  }
 private:
  // The caption while the item is held back by its Delay, leftMs to go.
  void ShowHold(const sequence::SequenceItem& item, double leftMs);
  // Whether the item's network wait lets it go this tick; event says how it ended.
  bool NetworkAllows(const sequence::SequenceItem& item, double afterHold, report::ItemEvent& event);
  bool StartItem(const sequence::SequenceItem& item, report::ItemEvent& event);
  bool AlreadyRunning(const sequence::SequenceItem& item, std::uint32_t& processId);
  bool PreviousReady();
  // Whether the program started last has settled (SettleWait), asked only
  // when nothing else holds the item: the caption says what it waits for.
  bool PreviousSettled();
  void Advance(report::ItemEvent& event);
  // The tick for the timeline: the usage read and what holds the item (nullopt: it goes).
  void Record(std::optional<double> usage, std::optional<timeline::HoldKind> holding);

  const std::vector<sequence::SequenceItem>& items_;
  LaunchSettings settings_;
  LaunchView& view_;
  CpuMeter* meter_;
  LaunchSystem& system_;
  report::StartReport* report_;
  int currentIndex_ = 0;
  double waitTicks_ = 0;
  // The program started last, while it may still be starting (ReadyWait).
  std::shared_ptr<ProcessWatch> previous_;
  std::wstring previousName_;    // of the program started last
  bool waitedForReady_ = false;  // the current wait had a program to wait for
  bool readyCaption_ = false;    // the caption says the engine waits for it
  bool settleCaption_ = false;   // the caption says the engine waits for it to settle
  settling::SettleMeter settle_;  // the program started last
  bool skipWait_ = false;        // the item before was already running
  std::wstring holdCaption_;     // the last hold caption set, so that it changes only when its text does
  bool networkCaption_ = false;  // the caption says the engine waits for the network
  double networkTicks_ = 0;      // ticks the current item waited for the network
  std::vector<running::Started> started_;  // by this run
  running::ProcessList processes_;         // for the already-running test
  sequencer::TimelineRecorder* timeline_ = nullptr;
  struct Start {
    std::uint32_t id = 0;
    std::uint64_t created = 0;
    std::shared_ptr<ProcessWatch> watch;
  };
  std::optional<Start> startedLast_;  // by the item handled on this tick, for the timeline
};
