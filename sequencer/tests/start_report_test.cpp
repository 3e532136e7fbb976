#include "sequencer/start_report.h"

#include <gtest/gtest.h>

#include <set>

#include "common/text.h"
#include "common/ui_text.h"
#include "sequencer/entry.h"
#include "sequencer/texts.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/temp_folder.h"

namespace {

struct FakeClock : report::Clock {
  report::LocalTime Now() override { return {2024, 4, 1, 8, 0, 0, static_cast<int>(ms)}; }
  std::int64_t Milliseconds() override { return ms; }
  std::int64_t ms = 5;
};

const std::string kBom = "\xEF\xBB\xBF";

// A report line as the fake clock stamps it.
std::string Line(const std::wstring& text) { return "2024-04-01 08:00:00.005 " + text::ToUtf8(text) + "\r\n"; }

// The lines of a run of one item, S.pmw, ended at once (after the texts are loaded).
std::string OneRun() { return Line(report::RunBeginsText(L"S.pmw", {}, 1, 0)) + Line(report::RunEndsText(1, 0, 0)); }

// The report as a backup or a scanner leaves it: not readable, or its older
// copy held so that it cannot be replaced. Counts the reads of the report.
struct HeldDisk : fake::RealDisk {
  std::wstring unreadable;
  std::set<std::wstring> held;
  int reads = 0;
  std::optional<std::string> ReadAll(const std::wstring& p) override {
    ++reads;
    return p == unreadable ? std::nullopt : real.ReadAll(p);
  }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override {
    return !held.count(p) && real.ReplaceContents(p, b);
  }
};

// A report past the limit is moved aside at the start of a run, the only
// time it is read; the mark only at the start of a file.
TEST(StartReport, MovesAFilePastTheLimitAsideAtTheStartOfARun) {
  const auto lines = [](int n) {  // n lines of 100 bytes
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(98, 'x') + "\r\n";
    return s;
  };
  const std::string full = kBom + std::string(report::kRotateBytes - kBom.size(), 'x');
  struct Case {
    const char* name;
    std::string before;  // "": no file
    bool unreadable, olderHeld;
    std::string after, older;  // after: before the new lines
    int reads;
  } cases[] = {
      {"no file: a new one with the mark", "", false, false, kBom, "older", 0},
      {"at the limit: appended without a read", full, false, false, full, "older", 0},
      {"past the limit: moved to .1, replacing it", full + "x", false, false, kBom, full + "x", 1},
      {"held by a scanner: appended without a second mark", kBom + lines(10), true, false, kBom + lines(10), "older", 0},
      // 1310 whole lines fit the last 128 KiB; the line cut there is dropped.
      {"past the limit, .1 held: its newer part kept", kBom + lines(2700), false, true, kBom + lines(1310), "older", 1},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const std::wstring log = dir / L"Tarvoline.log";
    if (!c.before.empty()) dir.Write(L"Tarvoline.log", c.before);
    dir.Write(L"Tarvoline.log.1", "older");
    HeldDisk disk;
    if (c.unreadable) disk.unreadable = log;
    if (c.olderHeld) disk.held.insert(log + L".1");
    FakeClock clock;
    report::StartReport r;
    r.Open(log, disk, clock);
    r.RunBegins(L"S.pmw", {}, 1, 0);
    r.RunEnds(1, 0);
    r.RunEnds(1, 0);  // once only
    EXPECT_EQ(TempFolder::Read(log), c.after + OneRun()) << c.name;
    EXPECT_EQ(TempFolder::Read(dir / L"Tarvoline.log.1"), c.older) << c.name;
    EXPECT_EQ(disk.reads, c.reads) << c.name;
  }
}

// A report that can be neither moved aside nor cut (it and its older copy
// both held by a backup) stops at its bound, saying so once, instead of
// growing at every start.
TEST(StartReport, StopsAtItsBoundWhenItCannotBeMovedAside) {
  TempFolder dir;
  const std::wstring log = dir / L"Tarvoline.log";
  const std::string begins = Line(report::RunBeginsText(L"S.pmw", {}, 1, 0));
  // Room for the first line of a run, not for its last.
  const std::string before = kBom + std::string(report::kMostBytes - kBom.size() - begins.size() - 10, 'x') + "\r\n";
  dir.Write(L"Tarvoline.log", before);
  HeldDisk disk;
  disk.held = {log, log + L".1"};
  FakeClock clock;
  for (int run = 0; run < 2; ++run) {
    report::StartReport r;
    r.Open(log, disk, clock);
    r.RunBegins(L"S.pmw", {}, 1, 0);
    r.RunEnds(1, 0);
  }
  EXPECT_EQ(TempFolder::Read(log), before + begins + Line(ui::Text(sequencer::texts::kReportFull)));
}

// One open of the report per run: held from the first line to the last, each
// line in the file before the next start, readable meanwhile and no other
// writer's. A report another program holds at the start gets the lines from
// the first one after it was let go.
TEST(StartReport, HoldsItsFileForTheRunWithOneOpen) {
  for (bool heldAtStart : {false, true}) {
    fake::FileSystem fs;
    const std::wstring log = L"C:\\T\\Tarvoline.log";
    if (heldAtStart) fs.files[log], fs.held.insert(log);
    FakeClock clock;
    report::StartReport r;
    r.Open(log, fs, clock);
    r.RunBegins(L"S.pmw", {}, 1, 0);
    if (heldAtStart) fs.held.erase(log);  // the other program lets go
    report::ItemEvent e;
    e.position = 1;
    r.ItemHandled(e);
    const std::string begins = Line(report::RunBeginsText(L"S.pmw", {}, 1, 0));
    EXPECT_EQ(fs.ReadAll(log), kBom + (heldAtStart ? "" : begins) + Line(report::ItemText(e, 0))) << heldAtStart;
    EXPECT_FALSE(fs.Append(log, "x") || fs.ReplaceContents(log, "x")) << heldAtStart;
    r.RunEnds(1, 0);
    EXPECT_EQ(fs.appendOpens, 1) << heldAtStart;
    EXPECT_TRUE(fs.held.empty() && fs.Append(log, "")) << heldAtStart;
  }
}

// Main with a report clock: the report beside the program unless Report = 0.
struct Ui : sequencer::EntryUi {
  FakeClock clock;
  bool ShowMainWindow(sequencer::Run) override { return true; }
  report::Clock* ReportClock() override { return &clock; }
  // The guard's findings, a new entry named at an earlier run among them.
  std::vector<bool> guardSwitchOff;
  std::vector<sequence::guard::Finding> RunGuard(const std::vector<sequence::SequenceItem>&, bool switchOff) override {
    guardSwitchOff.push_back(switchOff);
    using sequence::guard::Kind;
    return {{Kind::SwitchedOffAgain, L"Chat"}, {Kind::NewEntry, L"Old", L"C:\\old.exe", false},
            {Kind::NewEntry, L"Meet", L"C:\\meet.exe", true}};
  }
};

TEST(StartReport, MainWritesTheRunUnlessReportIsZero) {
  struct Case { const char* name; std::string settings; bool written, guardSwitchesOff = true; } cases[] = {
      {"no settings file", "", true},
      {"Report = 0", "Report = 0\r\n", false},
      {"Guard = 0: the guard only reports", "Guard = 0\r\n", true, false},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    if (!c.settings.empty()) dir.Write(L"Tarvoline.ini", c.settings);
    dir.Write(L"Startup.pmw", "a\x01\x01" "File=C:\\a.exe\x01" "b\x01\x01" "File=C:\\b.exe\r\nNoUse=1\x01");
    Ui ui;
    fake::Messages messages;
    EXPECT_EQ(sequencer::Main(L"", dir / L"Tarvoline.exe", ui, messages, RealFileSystem(), UserNumberSeparators()),
              sequencer::MainOutcome::WindowShown) << c.name;
    const std::string log = TempFolder::Read(dir / L"Tarvoline.log");
    EXPECT_EQ(!log.empty(), c.written) << c.name;
    EXPECT_TRUE(!c.written || log.find("SkipRunning 1, SettleWait 1; ") != std::string::npos) << c.name;
    EXPECT_EQ(ui.guardSwitchOff, std::vector<bool>{c.guardSwitchesOff}) << c.name;
    // Each finding on a line of its own; a new entry only the first time.
    EXPECT_EQ(log.find("Chat") != std::string::npos, c.written);
    EXPECT_EQ(log.find("Old"), std::string::npos);
    EXPECT_EQ(log.find("C:\\meet.exe") != std::string::npos, c.written);
  }
}

// Any setting the file may hold is named on the first line, however large.
TEST(StartReport, RunBeginsNamesEverySettingNumberSafely) {
  report::RunSettings s;
  s.cpuLimit = -1e20;
  s.maxIdleTime = 1e20;
  s.intervalTime = -1.5;
  s.timerInterval = -0.001;
  const std::wstring text = report::RunBeginsText(L"S.pmw", s, 1, 0);
  EXPECT_NE(text.find(L"CPULimit -100000000000000000000, MaxIdleTime 100000000000000000000, "
                      L"IntervalTime -1.5, TimerInterval 0, "),
            std::wstring::npos)
      << text::ToUtf8(text);
}

TEST(StartReport, CounterMillisecondsAfterLongUptime) {
  struct Case { std::int64_t count, frequency, ms; } cases[] = {
      {10'000'000, 10'000'000, 1000},                          // the usual 10 MHz counter
      {1'499, 3, 499'666},                                     // the rest is not lost
      {40LL * 86'400 * 3'000'000'000, 3'000'000'000, 40LL * 86'400'000},  // 40 days at 3 GHz
      {INT64_MAX, 1'000'000'000, INT64_MAX / 1'000'000},
  };
  for (const Case& c : cases) EXPECT_EQ(report::CounterMilliseconds(c.count, c.frequency), c.ms) << c.count;
}

}  // namespace
