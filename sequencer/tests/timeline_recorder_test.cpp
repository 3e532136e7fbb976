#include "sequencer/timeline_recorder.h"

#include <gtest/gtest.h>

#include "common/tests/support/fakes.h"

namespace {

using timeline::HoldKind;

// A watch that tells what the test sets: ready, and the exit code once ended.
struct FakeWatch : ProcessWatch {
  bool IsReady() override { return ready; }
  std::optional<std::uint32_t> ExitCode() override { return exitCode; }
  bool ready = false;
  std::optional<std::uint32_t> exitCode;
};

report::ItemEvent Event(int position, report::Outcome outcome, std::uint32_t pid = 0) {
  report::ItemEvent e;
  e.position = position;
  e.title = L"t" + std::to_wstring(position);
  e.outcome = outcome;
  e.processId = pid;
  return e;
}

// Process id (created at id) with its parent and processor time in ms.
LaunchSystem::ProcessEntry Process(std::uint32_t id, std::uint32_t parent, std::uint64_t ms) {
  return {id, parent, L"x.exe", id, ms * 10000};
}

// The run begins at steady 5000: its times count from there.
TEST(TimelineRecorder, HoldsOfOneKindAreOneBarAndEachItemStartsWhereTheLastWent) {
  sequencer::TimelineRecorder r({}, 5000);
  r.Tick(5200, 10, HoldKind::Interval);
  r.Tick(5400, 80, HoldKind::Interval);
  r.Tick(5600, 80, HoldKind::Usage);
  r.Tick(5800, 80, HoldKind::Usage);
  r.Went(5800, Event(1, report::Outcome::Started, 100));
  r.Tick(6000, std::nullopt, HoldKind::Delay);
  report::ItemEvent failed = Event(2, report::Outcome::Failed);
  failed.detail = L"not found";
  r.Went(6200, failed);
  const timeline::Run run = r.Finish(6300, 1);
  ASSERT_EQ(run.items.size(), 2u);
  EXPECT_EQ(run.items[0].holds,
            (std::vector<timeline::Hold>{{HoldKind::Interval, 0, 400}, {HoldKind::Usage, 400, 800}}));
  EXPECT_EQ(run.items[0].wentMs, 800);
  EXPECT_EQ(run.items[1].nextMs, 800);
  EXPECT_EQ(run.items[1].holds, (std::vector<timeline::Hold>{{HoldKind::Delay, 800, 1000}}));
  EXPECT_EQ(run.items[1].error, L"not found");
  EXPECT_EQ(run.usage.size(), 4u) << "a tick without a reading has no sample";
  EXPECT_EQ(run.lengthMs, 1300);
  EXPECT_EQ(run.itemsLeft, 1);
}

// The impact: the program and what it started, from the lists the run
// takes, within the window (and a second past it); the first list past the
// window closes it. An early end is told by the watch.
TEST(TimelineRecorder, ImpactCountsTheProgramAndItsChildrenInTheirFirstTenSeconds) {
  sequencer::TimelineRecorder r({}, 0);
  auto watch = std::make_shared<FakeWatch>();
  r.Went(1000, Event(1, report::Outcome::Started, 100));
  r.Started(1000, 100, 100, watch);
  EXPECT_EQ(r.MeasuredBy(), 11000);
  r.Listed(3000, {Process(100, 1, 300), Process(7, 1, 5000)});
  watch->ready = true;
  r.Tick(3200, 0, std::nullopt);
  r.Listed(11500, {Process(100, 1, 700), Process(200, 100, 250)});
  EXPECT_EQ(r.MeasuredBy(), std::nullopt);
  r.Listed(14000, {Process(100, 1, 5000)});  // past the window: not counted
  const timeline::Run run = r.Finish(15000, 0);
  EXPECT_EQ(run.items[0].impactMs, 950);
  EXPECT_EQ(run.items[0].readyMs, 3200);
  EXPECT_FALSE(run.items[0].ended);

  sequencer::TimelineRecorder early({}, 0);
  auto ends = std::make_shared<FakeWatch>();
  early.Went(0, Event(1, report::Outcome::Started, 100));
  early.Started(0, 100, 100, ends);
  early.Listed(500, {Process(100, 1, 40)});
  ends->exitCode = 3;
  EXPECT_FALSE(early.ProgramsEnded());
  early.Tick(700, std::nullopt, std::nullopt);
  EXPECT_TRUE(early.ProgramsEnded());
  EXPECT_FALSE(early.NothingLeft()) << "not before a list says so";
  early.Listed(900, {Process(300, 100, 10)});
  EXPECT_FALSE(early.NothingLeft()) << "what it started still runs";
  early.Listed(950, {});
  EXPECT_TRUE(early.NothingLeft());
  const timeline::Run ended = early.Finish(10000, 0);
  EXPECT_EQ(ended.items[0].impactMs, 50) << "ended processes keep the time they were last seen with";
  EXPECT_EQ(ended.items[0].ended, (timeline::EarlyEnd{700, 3}));
}

TEST(TimelineRecorder, SaveAddsTheRunAndLeavesAFileItCannotRead) {
  fake::FileSystem fs;
  sequencer::TimelineRecorder r({}, 0);
  r.Went(600, Event(1, report::Outcome::Started, 100));
  const timeline::Run run = r.Finish(700, 0);
  ASSERT_TRUE(sequencer::SaveRun(fs, L"C:/T/Tarvoline.timeline.txt", run));
  ASSERT_TRUE(sequencer::SaveRun(fs, L"C:/T/Tarvoline.timeline.txt", run));
  EXPECT_EQ(timeline::Read(fs.files[L"C:/T/Tarvoline.timeline.txt"]).runs.size(), 2u);
  fs.unreadable.insert(L"C:/T/Tarvoline.timeline.txt");
  EXPECT_FALSE(sequencer::SaveRun(fs, L"C:/T/Tarvoline.timeline.txt", run));
  fs.unreadable.clear();
  EXPECT_EQ(timeline::Read(fs.files[L"C:/T/Tarvoline.timeline.txt"]).runs.size(), 2u);
}

}  // namespace
