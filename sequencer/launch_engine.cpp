#include "sequencer/launch_engine.h"

#include <algorithm>
#include <cmath>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "sequencer/texts.h"
#include "sequencer/timeline_recorder.h"

namespace {

// "##0.##": at most two decimals, halves away from zero.
double TwoDecimals(double v) { return std::round(v * 100.0) / 100.0; }

}  // namespace

LaunchEngine::LaunchEngine(const std::vector<sequence::SequenceItem>& items, LaunchSettings settings,
                           LaunchView& view, CpuMeter* meter, LaunchSystem& system, report::StartReport* report)
    : items_(items),
      settings_(settings),
      view_(view),
      meter_(meter),
      system_(system),
      report_(report) {}

LaunchEngine::Outcome LaunchEngine::Tick(int intervalMs) {
  if (Finished()) return Outcome::Idle;

  const sequence::SequenceItem& item = items_[static_cast<size_t>(currentIndex_)];
  // Named in Advance: a waiting tick copies no text.
  report::ItemEvent event;
  event.waitedMs = static_cast<double>(intervalMs) * waitTicks_;

  bool ok = meter_ != nullptr;
  if (!ok) {
    event.reason = report::Reason::NoMeter;
    event.detail = L"no processor meter";
  } else {
    const double usage = meter_->GetValue();
    event.usage = usage;
    view_.ShowCpuLoad(TwoDecimals(usage));
    // The hold comes first: nothing else is asked while it lasts.
    if (event.waitedMs < item.delay) {
      ShowHold(item, item.delay - event.waitedMs);
      Record(usage, timeline::HoldKind::Delay);
      waitTicks_ += 1;
      return Outcome::Waited;
    }
    // The hold is over: the caption no longer counts down.
    if (!holdCaption_.empty())
      view_.SetCaption(ui::Format(ui::Text(sequencer::texts::kStarting), {paths::Stem(item.file)}));
    holdCaption_.clear();
    const double waited = event.waitedMs - item.delay;
    event.timed = item.delay > 0 || item.network > 0;
    event.heldMs = item.delay;
    if (skipWait_) {
      event.reason = report::Reason::AfterRunning;
    } else {
      const bool ready = PreviousReady();
      const bool machineCalm = usage <= settings_.cpuLimit;
      // Asked only when the answer can let the item go: it may take a process list.
      const bool settleAsked = !machineCalm && ready && settings_.settleWait && waited >= settings_.intervalTime &&
                               waited < settings_.maxIdleTime;
      const bool settled = settleAsked && PreviousSettled();
      if (!ShouldStart(waited, machineCalm || settled, ready, settings_)) {
        using timeline::HoldKind;
        Record(usage, waited < settings_.intervalTime ? HoldKind::Interval
                      : !ready                        ? HoldKind::Ready
                      : settleAsked && settle_.Following() ? HoldKind::Settle
                                                      : HoldKind::Usage);
        waitTicks_ += 1;
        return Outcome::Waited;
      }
      event.reason = !((machineCalm || settled) && ready) ? report::Reason::MaxWait
                     : settled && !settle_.Following()     ? report::Reason::NothingStarting
                     : settled                             ? report::Reason::Settled
                     : waitedForReady_                     ? report::Reason::Ready
                                                           : report::Reason::IntervalAndLimit;
    }
    if (!NetworkAllows(item, waited, event)) {
      Record(usage, timeline::HoldKind::Network);
      networkTicks_ += 1;
      waitTicks_ += 1;
      return Outcome::Waited;
    }
    event.networkMs = static_cast<double>(intervalMs) * networkTicks_;
    if (AlreadyRunning(item, event.processId)) {
      // Neither started nor failed: its own icon, and the next item follows at once.
      view_.SetProgress(currentIndex_ + 1);
      view_.SetItemIcon(currentIndex_, itemicon::kRunning);
      event.reason = report::Reason::AlreadyRunning;
      event.outcome = report::Outcome::AlreadyRunning;
      Advance(event);
      skipWait_ = true;
      return Outcome::Running;
    }
    ok = StartItem(item, event);
  }
  if (!ok) {
    // No message: the entry turns grey and the next item follows after the usual wait.
    view_.SetItemIcon(currentIndex_, itemicon::kFailed);
    event.outcome = report::Outcome::Failed;
  }
  Advance(event);
  return ok ? Outcome::Started : Outcome::Failed;
}

void LaunchEngine::Record(std::optional<double> usage, std::optional<timeline::HoldKind> holding) {
  if (!timeline_) return;
  if (const std::optional<std::int64_t> now = system_.SteadyMs()) {
    timeline_->Tick(*now, usage, holding);
    if (timeline_->WantsList(*now)) system_.Snapshot();  // handed to the recorder on its way
  }
}

void LaunchEngine::ShowHold(const sequence::SequenceItem& item, double leftMs) {
  // Whole seconds, rounded up: the caption never says 0 while the item still waits.
  const std::wstring seconds = std::to_wstring(static_cast<long long>(std::ceil(leftMs / 1000)));
  const std::wstring caption = ui::Format(ui::Text(sequencer::texts::kHolding), {paths::Stem(item.file), seconds});
  if (caption != holdCaption_) view_.SetCaption(caption);
  holdCaption_ = caption;
}

bool LaunchEngine::NetworkAllows(const sequence::SequenceItem& item, double afterHold, report::ItemEvent& event) {
  if (item.network <= 0) return true;
  const std::optional<bool> up = system_.InternetConnected();
  if (!up) return event.network = report::Network::NotAsked, true;
  if (*up) return event.network = report::Network::Up, true;
  if (afterHold >= item.network) return event.network = report::Network::WaitOver, true;
  if (!networkCaption_)
    view_.SetCaption(ui::Format(ui::Text(sequencer::texts::kWaitingNetwork), {paths::Stem(item.file)}));
  networkCaption_ = true;
  return false;
}

bool LaunchEngine::PreviousReady() {
  if (!previous_) return true;
  if (!previous_->IsReady()) {
    if (!readyCaption_) view_.SetCaption(ui::Format(ui::Text(sequencer::texts::kWaitingReady), {previousName_}));
    readyCaption_ = true;
    return false;
  }
  // Ready once is ready: the handle goes, and the caption names the start again.
  previous_.reset();
  if (readyCaption_) view_.SetCaption(ui::Format(ui::Text(sequencer::texts::kStarting), {previousName_}));
  readyCaption_ = false;
  return true;
}

bool LaunchEngine::PreviousSettled() {
  const settling::SettleMeter::Answer answer = settle_.Ask(system_, settings_.cpuLimit);
  if (answer == settling::SettleMeter::Answer::Busy && !settleCaption_) {
    view_.SetCaption(ui::Format(ui::Text(sequencer::texts::kWaitingSettle), {previousName_}));
    settleCaption_ = true;
  }
  return answer == settling::SettleMeter::Answer::Settled;
}

bool LaunchEngine::AlreadyRunning(const sequence::SequenceItem& item, std::uint32_t& processId) {
  if (!settings_.skipRunning || item.file.empty() || !IsProgramFile(item.file)) return false;
  // A batch file runs as its command processor, never under its own name.
  const std::wstring ext = text::ToLower(paths::Extension(item.file));
  if (ext != L"exe" && ext != L"com") return false;
  // Copies this run started, and what they started, are not "already
  // running": an item that names the same program twice starts it twice.
  processId = running::FindRunning(system_, processes_, item.file, item.workingFolder, item.arguments, started_);
  return processId != 0;
}

bool LaunchEngine::StartItem(const sequence::SequenceItem& item, report::ItemEvent& event) {
  // Whatever the program before did, only this start may hold up the next one.
  previous_.reset();
  view_.SetCaption(event.reason == report::Reason::Settled
                       ? ui::Format(ui::Text(sequencer::texts::kStartingSettled), {paths::Stem(item.file), previousName_})
                       : ui::Format(ui::Text(sequencer::texts::kStarting), {paths::Stem(item.file)}));
  view_.MarkStarted(currentIndex_);
  view_.SetProgress(currentIndex_ + 1);
  view_.RepaintNow();

  // The timeline keeps a watch too: when the program is ready, and how it ended.
  ItemStart start = StartSequenceItem(system_, view_.Owner(), item, settings_.readyWait || timeline_);
  switch (start.outcome) {
    case ItemStart::FolderNotEntered:
      return event.detail = L"the working folder could not be entered: " + item.workingFolder, false;
    case ItemStart::EmptyFile: return event.detail = L"File is empty", false;
    case ItemStart::BadSize: return event.detail = ui::Text(sequencer::texts::kBadSizeDetail), false;
    case ItemStart::Failed: return event.detail = start.result.error, false;
    case ItemStart::Started: event.outcome = report::Outcome::Started; break;
    // A missing document keeps the item's started icon.
    case ItemStart::Opened: event.outcome = report::Outcome::Opened; break;
    case ItemStart::NotOpened: event.outcome = report::Outcome::NotOpened; break;
  }
  LaunchResult& result = start.result;
  event.processId = result.processId;
  if (result.processId) started_.push_back({result.processId, result.created});
  previousName_ = paths::Stem(item.file);
  std::shared_ptr<ProcessWatch> watch = std::move(result.watch);
  if (settings_.readyWait && watch && watch->HasWindows()) previous_ = watch;
  if (timeline_ && result.processId) startedLast_ = Start{result.processId, result.created, std::move(watch)};
  // Only a start whose process is known can be followed: what the shell
  // opened without handing one back is left to the classic rule.
  if (!settings_.settleWait || start.outcome == ItemStart::NotOpened) settle_.Forget();
  else if (result.processId) settle_.Follow(result.processId, result.created, system_.SteadyMs());
  else settle_.Unseen();
  return true;
}

void LaunchEngine::Advance(report::ItemEvent& event) {
  if (report_ || timeline_) {
    const sequence::SequenceItem& item = items_[static_cast<size_t>(currentIndex_)];
    event.position = currentIndex_ + 1;
    event.title = item.title;
    event.file = item.file;
    if (report_) report_->ItemHandled(event);
  }
  if (timeline_) {
    if (const std::optional<std::int64_t> now = system_.SteadyMs()) {
      timeline_->Tick(*now, event.usage, std::nullopt);
      timeline_->Went(*now, event);
      if (startedLast_) timeline_->Started(*now, startedLast_->id, startedLast_->created, std::move(startedLast_->watch));
    }
    startedLast_.reset();
  }
  // Only the program just started may hold up the next one: a failed start never does.
  if (event.outcome != report::Outcome::Started && event.outcome != report::Outcome::Opened) {
    previous_.reset();
    settle_.Forget();
  }
  // What this item started (or the shell, or the time it took) may change what runs.
  if (event.outcome != report::Outcome::AlreadyRunning) processes_.EndBurst();
  waitedForReady_ = previous_ != nullptr;
  readyCaption_ = false;
  settleCaption_ = false;
  skipWait_ = false;
  holdCaption_.clear();
  networkCaption_ = false;
  networkTicks_ = 0;
  currentIndex_ += 1;
  waitTicks_ = 0;
  if (Finished()) {
    if (report_) report_->RunEnds(currentIndex_, 0);
    view_.StopTimer();
    view_.EndProgram();
  }
}

void LaunchEngine::Closed() {
  if (report_ && !Finished()) report_->RunEnds(currentIndex_, static_cast<int>(items_.size()) - currentIndex_);
}
