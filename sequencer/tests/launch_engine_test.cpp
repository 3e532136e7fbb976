#include "sequencer/launch_engine.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "common/text.h"
#include "common/ui_text.h"
#include "sequencer/texts.h"
#include "common/tests/support/fake_processes.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/plain_launch_system.h"
#include "common/tests/support/temp_folder.h"

namespace {

using sequence::SequenceItem;
using Log = std::vector<std::wstring>;
using Outcome = LaunchEngine::Outcome;

// Window, meter, processes and shell in one, writing every call into one log
// so that the order of the start steps shows.
class FakeSystem : public LaunchView, public CpuMeter, public Processes, public Shell {
 public:
  void ShowCpuLoad(double percent) override { shown.push_back(percent); }
  void SetCaption(const std::wstring& c) override { log.push_back(L"caption " + c); }
  void MarkStarted(int row) override { log.push_back(L"mark K" + std::to_wstring(row)); }
  void SetItemIcon(int row, int icon) override {
    log.push_back(L"icon K" + std::to_wstring(row) + L" " + std::to_wstring(icon));
  }
  void SetProgress(int value) override { log.push_back(L"progress " + std::to_wstring(value)); }
  void RepaintNow() override { log.push_back(L"repaint"); }
  WindowHandle Owner() override { return this; }
  void StopTimer() override { log.push_back(L"stop"); }
  void EndProgram() override { log.push_back(L"end"); }
  double GetValue() override { return usage; }
  bool Start(const std::wstring& line, int show) override {
    log.push_back(L"start " + line + L" show=" + std::to_wstring(show) + L" in " + cwd);
    return line.find(L"fail") == std::wstring::npos;
  }
  bool SetCurrentDirectory(const std::wstring& path) override { return log.push_back(L"cd " + path), cwd = path, true; }
  std::intptr_t Execute(WindowHandle, const std::wstring& file, const std::wstring& dir, int show) override {
    log.push_back(L"shell " + file + L" dir=" + dir + L" show=" + std::to_wstring(show));
    return 42;
  }
  Log log;
  std::vector<double> shown;
  double usage = 0;
  std::wstring cwd = L"start-folder";
};

// One folder and one document exist.
struct FakeFs : fake::FileSystem {
  bool IsFolder(const std::wstring& p) override { return p == L"C:/Work"; }
  bool AnyOrdinaryFileMatches(const std::wstring& p) override { return p == L"C:/A/doc.txt"; }
};

SequenceItem Item(std::wstring file, std::wstring current = L"", std::wstring option = L"",
                  int size = 1) {
  return SequenceItem{L"title", std::move(file), std::move(current), std::move(option), size};
}

// Starts programs with process ids 100, 101, ...; the first program it
// starts becomes ready readyAfter polls after its start (0: never; -1: no
// watch, a console program), those after it have no watch; each runs on
// among the processes of the table. The network question is answered from a
// script, one answer a poll, the last one repeating.
class FakeLaunch : public fake::ProcessTable {
 public:
  class Watch : public ProcessWatch {
   public:
    explicit Watch(int polls) : left_(polls) {}
    bool IsReady() override { return left_ > 0 && --left_ == 0; }
   private:
    int left_;
  };
  // The items it starts have no working folder.
  bool EnterFolder(const std::wstring&) override { return true; }
  LaunchResult StartProgram(const std::wstring& line, int, bool watch) override {
    LaunchResult r;
    r.ok = line.find(L"fail") == std::wstring::npos;
    if (!r.ok) {
      r.error = L"not found";
      readyAfter = -1;
      return r;
    }
    r.processId = nextId++;
    r.created = r.processId;
    started.push_back(line);
    Running(r.processId, line.substr(1, line.find(L'"', 1) - 1), line);
    if (watch && readyAfter >= 0) r.watch = std::make_unique<Watch>(readyAfter);
    readyAfter = -1;
    return r;
  }
  std::optional<bool> InternetConnected() override { return answers[std::min(polls++, answers.size() - 1)]; }
  LaunchResult Open(WindowHandle, const std::wstring& target, bool) override {
    LaunchResult r;
    r.ok = target.find(L"gone") == std::wstring::npos && !openErrors.count(target);
    if (openErrors.count(target)) r.error = openErrors[target];
    return r;
  }
  // A process of path, run by this user in this session, since before the run by default.
  void Running(std::uint32_t id, const std::wstring& path, const std::wstring& line = L"") {
    processes.push_back({id, 1, path, line.empty() ? L"\"" + path + L"\"" : line, id});
    finalPaths[text::ToLower(path)] = path;
  }
  std::map<std::wstring, std::wstring> openErrors;  // targets the shell was asked to open and could not, and why
  int readyAfter = -1;
  std::uint32_t nextId = 100;
  std::vector<std::wstring> started;
  std::vector<std::optional<bool>> answers{std::nullopt};
  size_t polls = 0;
};

// withLaunch: programs go through FakeLaunch, which can watch them for readiness.
struct Rig {
  explicit Rig(std::vector<SequenceItem> list, LaunchSettings s = {}, double usage = 0, bool withLaunch = false,
               report::StartReport* report = nullptr)
      : items(std::move(list)),
        engine(items, s, sys, &sys, withLaunch ? static_cast<LaunchSystem&>(launch) : plain, report) {
    sys.usage = usage;
  }
  // Ticks until the engine starts or fails an item: that tick's number.
  int TicksToNext(int interval = 200) {
    for (int k = 1; k <= 1000; ++k)
      if (engine.Tick(interval) != Outcome::Waited) return k;
    return 0;
  }
  std::vector<SequenceItem> items;
  FakeSystem sys;
  FakeFs fs;
  FakeLaunch launch;
  PlainLaunchSystem plain{sys, sys, fs};
  LaunchEngine engine;
};

TEST(LaunchEngine, StartsOnTheTickTheRuleAllows) {
  struct Case { const char* name; LaunchSettings settings; double usage; int interval, tick; } cases[] = {
      {"defaults, idle: tick 4 (600 ms waited)", {}, 0, 200, 4},
      {"usage equal to the limit starts", {}, 30, 200, 4},
      {"usage just above the limit waits (SettleWait 0)", {30, 10000, 500, false, true, false}, 30.01, 200, 51},
      {"IntervalTime 0: the first tick", {30, 10000, 0}, 0, 200, 1},
      {"MaxIdleTime below IntervalTime", {30, 100, 500}, 100, 200, 4},
      {"interval 150: ceil(500 / 150) + 1", {}, 0, 150, 5},
  };
  for (const Case& c : cases) {
    Rig rig({Item(L"a.exe"), Item(L"b.exe")}, c.settings, c.usage);
    EXPECT_EQ(rig.TicksToNext(c.interval), c.tick) << c.name;
    EXPECT_EQ(rig.TicksToNext(c.interval), c.tick) << c.name << ": the count starts again after a start";
  }
}

TEST(LaunchEngine, StartStepsRunInOrderAndTheLastStartEndsTheProgram) {
  Rig rig({Item(L"C:/Work/clock.exe", L"C:/Work", L"-s", 6), Item(L"C:/B/fail.EXE")}, {30, 10000, 0},
          12.345678);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Started);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Failed);
  EXPECT_EQ(rig.sys.log, (Log{L"caption clockを起動しています。", L"mark K0", L"progress 1", L"repaint", L"cd C:/Work",
                              L"start \"C:/Work/clock.exe\" -s show=6 in C:/Work",
                              // No Current: the folder set for the first item stays. A failed start keeps
                              // caption, check mark and progress, and greys the icon.
                              L"caption failを起動しています。", L"mark K1", L"progress 2", L"repaint",
                              L"start \"C:/B/fail.EXE\"  show=1 in C:/Work", L"icon K1 1", L"stop", L"end"}));
  EXPECT_EQ(rig.sys.shown, (std::vector<double>{12.35, 12.35}));
  rig.sys.log.clear();
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Idle);
  EXPECT_TRUE(rig.sys.log.empty());
}

TEST(LaunchEngine, ProgramsDocumentsAddressesAndFailures) {
  // call: the start or shell call in the log, "" for none.
  struct Case { const char* name; SequenceItem item; Outcome outcome; std::wstring call; } cases[] = {
      {"com, bat and cmd are programs too", Item(L"C:/A/y.Cmd", L"", L"", 0), Outcome::Started,
       L"start \"C:/A/y.Cmd\"  show=0 in start-folder"},
      {"a missing Current folder changes nothing", Item(L"C:/A/y.bat", L"C:/Gone"), Outcome::Started,
       L"start \"C:/A/y.bat\"  show=1 in start-folder"},
      {"a document goes to the shell, its own path as folder", Item(L"C:/A/doc.txt", L"", L"", 12),
       Outcome::Started, L"shell C:/A/doc.txt dir=C:/A/doc.txt show=4"},
      {"a missing document is silently not opened", Item(L"C:/A/gone.txt"), Outcome::Started, L""},
      // Addresses ending in ".com" are no programs.
      {"mail address", Item(L"mailto:someone@example.com"), Outcome::Started,
       L"shell mailto:someone@example.com dir= show=4"},
      {"Size beyond 16 bits fails", Item(L"C:/A/x.exe", L"", L"", -1), Outcome::Failed, L""},
      {"empty File fails without opening anything", Item(L""), Outcome::Failed, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig({c.item}, {30, 10000, 0});
    EXPECT_EQ(rig.engine.Tick(200), c.outcome);
    std::wstring call;
    for (const std::wstring& line : rig.sys.log)
      if (line.rfind(L"start ", 0) == 0 || line.rfind(L"shell ", 0) == 0) call = line;
    EXPECT_EQ(call, c.call);
    EXPECT_EQ(std::count(rig.sys.log.begin(), rig.sys.log.end(), L"icon K0 1"), c.outcome == Outcome::Failed);
    EXPECT_EQ(rig.sys.log.back(), L"end");
  }
}

TEST(LaunchEngine, ReadyWaitHoldsTheNextStartUntilThePreviousProgramIsReady) {
  const LaunchSettings on{30, 10000, 500, true}, off{30, 10000, 500, false};
  // tick: that of the second start.
  struct Case { const char* name; LaunchSettings settings; double usage; int readyAfter; const wchar_t* first; int tick; };
  const Case cases[] = {
      {"ReadyWait 0: today's rule, never ready or not", off, 0, 0, L"C:/a.exe", 4},
      {"ready before the interval: the interval", on, 0, 2, L"C:/a.exe", 4},
      {"ready after the interval", on, 0, 10, L"C:/a.exe", 10},
      {"never ready: MaxIdleTime", on, 0, 0, L"C:/a.exe", 51},
      {"ready, usage above the limit: MaxIdleTime", on, 30.5, 2, L"C:/a.exe", 51},
      {"no watch (a console program): ready at once", on, 0, -1, L"C:/a.exe", 4},
      {"a failed start never makes the next wait", on, 0, 0, L"C:/fail.exe", 4},
  };
  for (const Case& c : cases) {
    Rig rig({Item(c.first), Item(L"C:/b.exe")}, c.settings, 0, true);
    rig.launch.readyAfter = c.readyAfter;
    EXPECT_EQ(rig.TicksToNext(), 4) << c.name;
    rig.sys.usage = c.usage;
    EXPECT_EQ(rig.TicksToNext(), c.tick) << c.name;
  }
}

// (An item found running, and the one after it at once: the report test.)
TEST(LaunchEngine, WhatThisRunStartedIsNotRunningAndSkipRunningZeroListsNothing) {
  // running: the processes of C:/a.exe before the run; snapshots: one per item tested.
  struct Case { const char* name; bool skipRunning; std::vector<std::uint32_t> running; std::vector<std::wstring> started; int snapshots; };
  const Case cases[] = {
      {"not running: the same program twice starts twice", true, {},
       {L"\"C:/a.exe\" ", L"\"C:/b.exe\" ", L"\"C:/a.exe\" "}, 3},
      {"SkipRunning 0", false, {7}, {L"\"C:/a.exe\" ", L"\"C:/b.exe\" ", L"\"C:/a.exe\" "}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig({Item(L"C:/a.exe"), Item(L"C:/b.exe"), Item(L"C:/a.exe")},
            {30, 10000, 500, false, c.skipRunning}, 100, true);
    for (std::uint32_t id : c.running) rig.launch.Running(id, L"C:/a.exe");
    while (!rig.engine.Finished()) rig.engine.Tick(200);
    EXPECT_EQ(rig.launch.started, c.started);
    EXPECT_EQ(rig.launch.snapshots, c.snapshots);
  }
}

// The programs this test exists to catch start alongside the run, at any
// moment: each item tested sees the processes of its own moment. Only items
// found running one after another share a list, for 250 ms of the steady
// clock (not of ticks counted, which stretch under load).
TEST(LaunchEngine, EachItemTestedListsTheProcessesAnewOnlyABurstOfSkippedItemsSharesAList) {
  using Started = std::vector<std::wstring>;
  {
    SCOPED_TRACE("started by something else after the test of the item before");
    Rig rig({Item(L"C:/a.exe"), Item(L"C:/y.exe")}, {30, 10000, 500}, 0, true);
    EXPECT_EQ(rig.TicksToNext(), 4);
    rig.launch.Running(8, L"C:/y.exe");
    rig.launch.steadyMs = 600;
    EXPECT_EQ(rig.engine.Tick(200), Outcome::Waited);
    while (!rig.engine.Finished()) rig.engine.Tick(200);
    EXPECT_EQ(rig.launch.started, (Started{L"\"C:/a.exe\" "}));
  }
  {
    SCOPED_TRACE("a burst of skipped items");
    Rig rig({Item(L"C:/x.exe"), Item(L"C:/y.exe"), Item(L"C:/z.exe"), Item(L"C:/a.exe"), Item(L"C:/x.exe")},
            {30, 10000, 500}, 0, true);
    rig.launch.Running(7, L"C:/x.exe");
    rig.launch.Running(8, L"C:/y.exe");
    rig.launch.Running(9, L"C:/z.exe");
    EXPECT_EQ(rig.TicksToNext(), 4);  // x is running
    rig.launch.steadyMs = 200;
    EXPECT_EQ(rig.engine.Tick(200), Outcome::Running);  // y: x's list
    EXPECT_EQ(rig.launch.snapshots, 1);
    rig.launch.steadyMs = 450;  // the tick took longer than its 200 ms
    EXPECT_EQ(rig.engine.Tick(200), Outcome::Running);  // z: 450 ms after x's list, a list of its own
    EXPECT_EQ(rig.launch.snapshots, 2);
    EXPECT_EQ(rig.engine.Tick(200), Outcome::Started);  // a: z's list, and the burst ends
    EXPECT_EQ(rig.TicksToNext(), 4);  // x again, on the steady clock no later: a new list all the same
    EXPECT_EQ(rig.launch.snapshots, 3);
    EXPECT_EQ(rig.launch.started, (Started{L"\"C:/a.exe\" "}));
  }
}

// A clock that moves only when told: 2024-04-01 08:00:00.000 plus ms.
struct FakeClock : report::Clock {
  report::LocalTime Now() override {
    const int s = static_cast<int>(ms / 1000);
    return {2024, 4, 1, 8, s / 60, s % 60, static_cast<int>(ms % 1000)};
  }
  std::int64_t Milliseconds() override { return ms; }
  std::int64_t ms = 0;
};

// A report that writes the lines of a run; Rig takes its address.
struct Report {
  Report() { report.Open(dir / L"Tarvoline.log", RealFileSystem(), clock); }
  std::string Text() const { return TempFolder::Read(dir / L"Tarvoline.log"); }
  TempFolder dir;
  FakeClock clock;
  report::StartReport report;
};

// The lines are built alike in both languages: the English run checks them.
TEST(LaunchEngine, ReportNamesEachItemItsWaitWhyItWentAndWhatCameOfIt) {
  if (ui::UserLanguage() != ui::Language::English) GTEST_SKIP();
  Report r;
  report::StartReport& report = r.report;
  SequenceItem clockItem = Item(L"C:/a.exe");
  clockItem.title = L"Clock";
  Rig rig({clockItem, Item(L"C:/fail.exe"), Item(L"C:/doc.txt"), Item(L"C:/gone.txt"),
           Item(L"C:/run.exe"), Item(L"C:/b.exe"), Item(L"C:/x.exe", L"", L"", 12)},
          {30, 10000, 500}, 0, true, &report);
  rig.launch.Running(7, L"C:/run.exe");
  report.RunBegins(L"C:/Startup.pmw", {30, 10000, 500, 200, false, true}, 7, 1);
  r.clock.ms = 40;
  report.TimerStarted();
  for (int k = 0; k < 200 && !rig.engine.Finished(); ++k) {
    // Busy while the fourth item waits: it goes at the maximum wait.
    rig.sys.usage = rig.engine.CurrentIndex() == 3 ? 85.257 : 12.5;
    rig.engine.Tick(200);
    r.clock.ms += 201;
  }
  const char* english =
            "2024-04-01 08:00:00.000 Run begins: sequence C:/Startup.pmw; CPULimit 30, MaxIdleTime 10000, "
            "IntervalTime 500, TimerInterval 200, ReadyWait 0, SkipRunning 1, SettleWait 1; 7 items, 1 left out by NoUse\r\n"
            "2024-04-01 08:00:00.643 Item 1 \"Clock\" C:/a.exe: waited 600 ms (real 603 ms), usage 12.5 %, went: "
            "interval passed, usage at or below the limit; started, process 100\r\n"
            "2024-04-01 08:00:01.447 Item 2 \"title\" C:/fail.exe: waited 600 ms (real 804 ms), usage 12.5 %, went: "
            "interval passed, usage at or below the limit; failed: not found\r\n"
            "2024-04-01 08:00:02.251 Item 3 \"title\" C:/doc.txt: waited 600 ms (real 804 ms), usage 12.5 %, went: "
            "interval passed, usage at or below the limit; opened by the shell\r\n"
            "2024-04-01 08:00:12.502 Item 4 \"title\" C:/gone.txt: waited 10000 ms (real 10251 ms), usage 85.26 %, "
            "went: maximum wait reached; not opened: no such document\r\n"
            "2024-04-01 08:00:13.306 Item 5 \"title\" C:/run.exe: waited 600 ms (real 804 ms), usage 12.5 %, went: "
            "already running; not started again, process 7\r\n"
            "2024-04-01 08:00:13.507 Item 6 \"title\" C:/b.exe: waited 0 ms (real 201 ms), usage 12.5 %, went: "
            "previous item already running, no wait; started, process 101\r\n"
            "2024-04-01 08:00:14.311 Item 7 \"title\" C:/x.exe: waited 600 ms (real 804 ms), usage 12.5 %, went: "
            "interval passed, usage at or below the limit; failed: Size is not one of the known window styles\r\n"
            "2024-04-01 08:00:14.311 Run ends: all items handled (7); 14.311 s\r\n";
  EXPECT_EQ(r.Text(), std::string("\xEF\xBB\xBF") + english);
}

// A busy machine, and what the program started last (process 100, created
// at 100) and the processes it started do meanwhile, as the system's list
// shows them: each process uses percent of one processor from its from-th
// to its until-th millisecond after the start (nothing from quietFrom on),
// then ends.
constexpr int kNever = 1 << 30;
struct Busy {
  std::uint32_t id, parent;
  std::uint64_t created;
  int from, until;
  double percent;
  int quietFrom = kNever;
  bool readable = true;  // the list gives its processor time
};

TEST(LaunchEngine, OnABusyMachineTheNextItemGoesOnceTheProgramStartedLastHasSettled) {
  const LaunchSettings settle{30, 10000, 500, false, false, true}, classic{30, 10000, 500, false, false, false};
  struct Case {
    const char* name;
    LaunchSettings settings;
    double usage;  // the machine's, while the second item waits
    std::vector<Busy> load;
    int tick;  // of the second start (4: the interval alone; 51: MaxIdleTime)
    int lists;  // taken while it waited
  } cases[] = {
      {"light start-up: a second after the start", settle, 90, {{100, 1, 100, 0, kNever, 20}}, 5, 2},
      {"busy for a second: a second after its work", settle, 90, {{100, 1, 100, 0, kNever, 50, 1000}}, 9, 6},
      {"still busy: MaxIdleTime, a list a tick", settle, 90, {{100, 1, 100, 0, kNever, 80}}, 51, 47},
      // The grandchild is listed before its parent, as a list may have it.
      {"idle, but its children busy: MaxIdleTime", settle, 90,
       {{301, 300, 250, 300, kNever, 40}, {100, 1, 100, 0, kNever, 0}, {300, 100, 150, 200, kNever, 0}}, 51, 47},
      {"a child goes on after its parent ended, before any list", settle, 90,
       {{100, 1, 100, 0, 400, 0}, {300, 100, 150, 200, kNever, 80}}, 51, 47},
      {"the ended parent's id went to an older-than-child stranger", settle, 90,
       {{100, 1, 100, 0, 400, 0}, {100, 1, 500, 500, kNever, 0}, {300, 100, 600, 700, kNever, 80}}, 4, 1},
      {"ended, its id given to a newer process: settled at once", settle, 90,
       {{100, 1, 100, 0, 400, 90}, {100, 1, 999, 600, kNever, 90}}, 4, 1},
      {"a process older than the program is not its child", settle, 90,
       {{100, 1, 100, 0, kNever, 0}, {300, 100, 50, 0, kNever, 90}}, 5, 2},
      {"SettleWait 0: the classic rule", classic, 90, {{100, 1, 100, 0, kNever, 0}}, 51, 0},
      {"times not in the list: the classic rule", settle, 90, {{100, 1, 100, 0, kNever, 0, kNever, false}}, 51, 47},
      {"times not in the list, quiet machine: no longer wait", settle, 0, {{100, 1, 100, 0, kNever, 0, kNever, false}}, 4, 0},
      {"quiet machine: the usual rule, no list", settle, 0, {{100, 1, 100, 0, kNever, 90}}, 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig({Item(L"C:/a.exe"), Item(L"C:/b.exe")}, c.settings, 90, true);
    EXPECT_EQ(rig.TicksToNext(), c.settings.settleWait ? 4 : 51) << "nothing of the run's is busy before its first start";
    rig.launch.processes.clear();  // the start's own entry: the load below stands for it
    rig.sys.usage = c.usage;
    const int snapshots = rig.launch.snapshots;
    int tick = 0;
    for (int ms = 0; tick < 100 && !rig.engine.Finished();) {
      ++tick;
      ms += 200;
      *rig.launch.steadyMs += 200;
      for (const Busy& b : c.load) {
        auto& list = rig.launch.processes;
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.id == b.id && p.created == b.created; });
        if (ms <= b.from) continue;
        if (ms > b.until) {
          if (it != list.end()) list.erase(it);
          continue;
        }
        if (it == list.end()) it = list.insert(list.begin(), {b.id, b.parent, L"C:/x.exe", L"", b.created});
        it->cpuTime = b.readable ? std::optional(it->cpuTime.value_or(0) + std::uint64_t(ms > b.quietFrom ? 0 : b.percent * 20000)) : std::nullopt;
      }
      rig.engine.Tick(200);
    }
    EXPECT_EQ(tick, c.tick);
    EXPECT_EQ(rig.launch.snapshots - snapshots, c.lists);
  }
}

TEST(LaunchEngine, CaptionAndReportSayThatThePreviousProgramSettled) {
  if (ui::UserLanguage() != ui::Language::English) GTEST_SKIP();
  Report r;
  Rig rig({Item(L"C:/a.exe"), Item(L"C:/b.exe")}, {30, 10000, 500, false, false, true}, 78, true, &r.report);
  rig.TicksToNext();
  rig.sys.log.clear();
  while (!rig.engine.Finished()) {
    *rig.launch.steadyMs += 200;
    rig.engine.Tick(200);
  }
  Log captions;
  for (const std::wstring& line : rig.sys.log)
    if (line.rfind(L"caption ", 0) == 0) captions.push_back(line.substr(8));
  EXPECT_EQ(captions, (Log{L"Waiting for a to settle.", L"Starting b: a has settled."}));
  EXPECT_NE(r.Text().find("went: the previous program settled; machine usage 78 %; started, process 101"),
            std::string::npos) << r.Text();
}

TEST(LaunchEngine, WithoutAMeterEveryItemFailsOnItsFirstTick) {
  Rig rig({Item(L"a.exe"), Item(L"b.exe")});
  rig.engine.SetMeter(nullptr);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Failed);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Failed);
  EXPECT_EQ(rig.sys.log, (Log{L"icon K0 1", L"icon K1 1", L"stop", L"end"}));
}

// Per-item timing (Delay, Network): a timed item between two plain ones.
std::vector<SequenceItem> Timed(double delay, double network) {
  SequenceItem item = Item(L"C:/T/mail.exe");
  item.delay = delay;
  item.network = network;
  return {Item(L"C:/a.exe"), item, Item(L"C:/b.exe")};
}

TEST(LaunchEngine, DelayHoldsTheItemThenItsUsualRulesCountFromTheEndOfTheHold) {
  const LaunchSettings plain{30, 10000, 500}, ready{30, 10000, 500, true};
  using Net = std::vector<std::optional<bool>>;
  struct Case {
    const char* name;
    LaunchSettings settings;
    double usage, delay, network;
    int readyAfter;  // polls until the program before is ready (-1: nothing to wait for)
    Net answers;
    int tick;  // of the timed item's start; the items before and after take 4 (600 ms waited)
  } cases[] = {
      {"Delay 3000: 15 ticks held, then IntervalTime", plain, 0, 3000, 0, -1, {false}, 19},
      {"Delay 300 ends within a tick: IntervalTime still counts from it", plain, 0, 300, 0, -1, {false}, 5},
      {"Delay, busy: MaxIdleTime from the end of the hold", plain, 50, 3000, 0, -1, {false}, 66},
      {"Delay, ReadyWait, the program before never ready: MaxIdleTime from the end", ready, 0, 3000, 0, 0, {false}, 66},
      {"Network, up: the usual rule", plain, 0, 0, 2000, -1, {true}, 4},
      {"Network, cannot be asked: no wait", plain, 0, 0, 2000, -1, {std::nullopt}, 4},
      {"Network, down: the bound", plain, 0, 0, 2000, -1, {false}, 11},
      {"Network, up at the sixth poll, before the bound", plain, 0, 0, 2000, -1, {false, false, false, false, false, true}, 9},
      {"Network bound shorter than IntervalTime: IntervalTime", plain, 0, 0, 300, -1, {false}, 4},
      {"Network, busy: MaxIdleTime, then the network up", plain, 50, 0, 2000, -1, {true}, 51},
      {"Network bound beyond MaxIdleTime, never ready: the bound", ready, 0, 0, 12000, 0, {false}, 61},
      {"both, down: the bound counts from the end of the hold", plain, 0, 1000, 2000, -1, {false}, 16},
  };
  for (const Case& c : cases) {
    Rig rig(Timed(c.delay, c.network), c.settings, 0, true);
    rig.launch.readyAfter = c.readyAfter;
    rig.launch.answers = c.answers;
    EXPECT_EQ(rig.TicksToNext(), 4) << c.name;
    rig.sys.usage = c.usage;
    EXPECT_EQ(rig.TicksToNext(), c.tick) << c.name;
    rig.sys.usage = 0;
    EXPECT_EQ(rig.TicksToNext(), 4) << c.name << ": the item after keeps its pacing";
    // The network is asked only for an item with Network, and only once its hold is over.
    EXPECT_EQ(rig.launch.polls > 0, c.network > 0) << c.name;
  }
  // The first item is held from the moment the timer began.
  Rig first({Timed(1000, 0)[1]}, plain, 0, true);
  EXPECT_EQ(first.TicksToNext(), 9);
}

TEST(LaunchEngine, CaptionSaysWhichItemIsHeldHowLongAndWhenItWaitsForTheNetwork) {
  if (ui::UserLanguage() != ui::Language::English) GTEST_SKIP();
  Rig rig(Timed(2500, 1000), {30, 10000, 0}, 0, true);
  rig.launch.answers = {false};
  rig.TicksToNext();
  rig.sys.log.clear();
  EXPECT_EQ(rig.TicksToNext(), 19);
  Log captions;
  for (const std::wstring& line : rig.sys.log)
    if (line.rfind(L"caption ", 0) == 0) captions.push_back(line.substr(8));
  EXPECT_EQ(captions, (Log{L"mail is held back: 3 s left.", L"mail is held back: 2 s left.",
                           L"mail is held back: 1 s left.", L"Starting mail.",
                           L"Waiting for the network to start mail.", L"Starting mail."}));
}

TEST(LaunchEngine, ReportGivesTheHoldAndTheNetworkWaitOfATimedItem) {
  if (ui::UserLanguage() != ui::Language::English) GTEST_SKIP();
  struct Case { double delay, network; std::optional<bool> up; const char* line; } cases[] = {
      {1000, 1000, false,
       "waited 2000 ms (held 1000 ms, network wait 400 ms, real 0 ms), usage 0 %, went: held for Delay, then interval "
       "passed, usage at or below the limit, network wait over; started, process 101"},
      {0, 1000, true, "the limit, network up; started"},
      {0, 1000, std::nullopt, "the limit, network state cannot be asked, no wait; started"},
  };
  for (const Case& c : cases) {
    Report r;
    Rig rig(Timed(c.delay, c.network), {30, 10000, 500}, 0, true, &r.report);
    rig.launch.answers = {c.up};
    while (!rig.engine.Finished()) rig.engine.Tick(200);
    const std::string log = r.Text();
    EXPECT_NE(log.find(c.line), std::string::npos) << log;
    // The items without the keys keep their line.
    EXPECT_NE(log.find("C:/b.exe: waited 600 ms (real 0 ms)"), std::string::npos) << log;
  }
}

// What the shell was asked to open and could not fails with the shell's own
// reason, an address too; only a missing document is "not opened".
TEST(LaunchEngine, ShellFailuresCarryTheShellsReason) {
  for (const std::wstring file : {L"C:/A/x.tvlx", L"tvl-unknown:x"}) {
    Report r;
    Rig rig({Item(file)}, {30, 10000, 0}, 0, true, &r.report);
    rig.launch.openErrors[file] = L"Access is denied";
    EXPECT_EQ(rig.engine.Tick(200), Outcome::Failed);
    const std::wstring reported = ui::Format(ui::Text(sequencer::texts::kOutcomeFailed), {L"Access is denied"});
    EXPECT_NE(r.Text().find("; " + text::ToUtf8(reported) + "\r\n"), std::string::npos) << r.Text();
  }
}

}  // namespace
