#include "sequencer/timeline_recorder.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sequencer {
namespace {

constexpr std::int64_t kListSlackMs = 1000;
constexpr std::int64_t kListEveryMs = 1000;

timeline::Reason ReasonOf(report::Reason r) {
  switch (r) {
    case report::Reason::IntervalAndLimit: return timeline::Reason::IntervalAndLimit;
    case report::Reason::MaxWait: return timeline::Reason::MaxWait;
    case report::Reason::Ready: return timeline::Reason::Ready;
    case report::Reason::Settled:
    case report::Reason::NothingStarting: return timeline::Reason::Settled;
    case report::Reason::AfterRunning: return timeline::Reason::AfterRunning;
    case report::Reason::AlreadyRunning: return timeline::Reason::AlreadyRunning;
    case report::Reason::NoMeter: return timeline::Reason::NoMeter;
  }
  return timeline::Reason::IntervalAndLimit;
}

timeline::Result ResultOf(report::Outcome o) {
  switch (o) {
    case report::Outcome::Started: return timeline::Result::Started;
    case report::Outcome::Opened: return timeline::Result::Opened;
    case report::Outcome::NotOpened: return timeline::Result::NotOpened;
    case report::Outcome::Failed: return timeline::Result::Failed;
    case report::Outcome::AlreadyRunning: return timeline::Result::AlreadyRunning;
  }
  return timeline::Result::Failed;
}

}  // namespace

TimelineRecorder::TimelineRecorder(timeline::Run run, std::int64_t nowMs) : run_(std::move(run)), beganMs_(nowMs) {}

void TimelineRecorder::Tick(std::int64_t nowMs, std::optional<double> usage, std::optional<timeline::HoldKind> holding) {
  const std::int64_t ms = Ms(nowMs);
  // Hundredths, as the window shows them: more would only fill the file.
  if (usage) run_.usage.push_back({ms, std::round(*usage * 100) / 100});
  if (holding) {
    // A wait of the same kind goes on: one bar, however many ticks.
    const std::int64_t from = std::max(lastTickMs_, nextSinceMs_);
    if (!holds_.empty() && holds_.back().kind == *holding && holds_.back().toMs == from) holds_.back().toMs = ms;
    else holds_.push_back({*holding, from, ms});
  }
  lastTickMs_ = ms;
  Poll(nowMs);
}

void TimelineRecorder::Went(std::int64_t nowMs, const report::ItemEvent& e) {
  timeline::Item item;
  item.position = e.position;
  item.title = e.title;
  item.file = e.file;
  item.nextMs = nextSinceMs_;
  item.holds = std::exchange(holds_, {});
  item.wentMs = Ms(nowMs);
  item.reason = ReasonOf(e.reason);
  item.result = ResultOf(e.outcome);
  item.processId = e.processId;
  if (e.outcome == report::Outcome::Failed) item.error = e.detail;
  run_.items.push_back(std::move(item));
  nextSinceMs_ = lastTickMs_ = Ms(nowMs);
}

void TimelineRecorder::Started(std::int64_t nowMs, std::uint32_t id, std::uint64_t created,
                               std::shared_ptr<ProcessWatch> watch) {
  if (run_.items.empty()) return;
  programs_.push_back({run_.items.size() - 1, Ms(nowMs), id, created, settling::ProcessTree(id, created), std::move(watch)});
}

void TimelineRecorder::Poll(std::int64_t nowMs) {
  const std::int64_t ms = Ms(nowMs);
  for (Program& p : programs_) {
    // An end after the window is no early end.
    if (!p.open || !p.watch || ms - p.startedMs > timeline::kImpactWindowMs) continue;
    timeline::Item& item = run_.items[p.item];
    if (!item.readyMs && p.watch->HasWindows() && p.watch->IsReady()) item.readyMs = ms;
    if (std::optional<std::uint32_t> code = p.watch->ExitCode()) {
      item.ended = timeline::EarlyEnd{ms, *code};
      p.ended = true;
      // Its own final time, where the system tells it, covers the time since the last list.
      if (const std::optional<std::uint64_t> own = p.watch->CpuTime(); own && *own) {
        p.tree.Raise(p.id, p.created, *own);
        item.impactMs = static_cast<std::int64_t>(p.tree.CpuTime() / 10000);
      }
      if (!item.readyMs) item.readyMs = ms;
      p.watch.reset();  // the handle goes once the end is known
    }
  }
}

bool TimelineRecorder::WantsList(std::int64_t nowMs) const {
  return Ms(nowMs) - listedMs_ >= kListEveryMs &&
         std::any_of(programs_.begin(), programs_.end(), [](const Program& p) { return p.open && !p.ended; });
}

void TimelineRecorder::Listed(std::int64_t nowMs, const std::vector<LaunchSystem::ProcessEntry>& list) {
  const std::int64_t ms = Ms(nowMs);
  listedMs_ = ms;
  Poll(nowMs);
  for (Program& p : programs_) {
    if (!p.open) continue;
    // The lists come when the run needs them, not on the window's edge: one
    // up to a second past it still counts, and the first past it closes it.
    const std::int64_t age = ms - p.startedMs;
    if (age <= timeline::kImpactWindowMs + kListSlackMs && p.tree.Update(list))
      run_.items[p.item].impactMs = static_cast<std::int64_t>(p.tree.CpuTime() / 10000);
    if (age >= timeline::kImpactWindowMs) {
      p.open = false;
      p.watch.reset();
    }
  }
}

std::optional<std::int64_t> TimelineRecorder::MeasuredBy() const {
  std::optional<std::int64_t> by;
  for (const Program& p : programs_)
    if (p.open) by = std::max(by.value_or(0), beganMs_ + p.startedMs + timeline::kImpactWindowMs);
  return by;
}

bool TimelineRecorder::ProgramsEnded() const {
  return std::all_of(programs_.begin(), programs_.end(), [](const Program& p) { return !p.open || p.ended; });
}

bool TimelineRecorder::NothingLeft() const {
  return std::all_of(programs_.begin(), programs_.end(), [](const Program& p) { return !p.open || p.tree.Ended(); });
}

timeline::Run TimelineRecorder::Finish(std::int64_t nowMs, int itemsLeft) {
  Poll(nowMs);
  run_.lengthMs = Ms(nowMs);
  run_.itemsLeft = itemsLeft;
  programs_.clear();
  return std::move(run_);
}

bool SaveRun(FileSystem& fs, const std::wstring& path, const timeline::Run& run) {
  bool tooLarge = false;
  std::optional<std::string> existing = fs.ReadAtMost(path, timeline::kMostFileBytes, &tooLarge);
  // Only a file that grew past any size this program writes starts anew.
  if (!existing && fs.Exists(path) && !tooLarge) return false;
  return fs.ReplaceContents(path, timeline::Append(existing.value_or(""), run));
}

std::optional<std::vector<LaunchSystem::ProcessEntry>> ListingLaunchSystem::Snapshot() {
  std::optional<std::vector<ProcessEntry>> list = system_.Snapshot();
  if (list)
    if (std::optional<std::int64_t> now = system_.SteadyMs()) recorder_.Listed(*now, *list);
  return list;
}

}  // namespace sequencer
