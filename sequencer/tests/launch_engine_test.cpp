#include "sequencer/launch_engine.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Startup::SequenceItem;
using Log = std::vector<std::wstring>;
using Outcome = LaunchEngine::Outcome;

// Window, meter, processes and shell in one, writing every call into one log
// so that the order of the start steps shows.
class FakeSystem : public LaunchView, public CpuMeter, public Processes, public Shell {
 public:
  void ShowCpuLoad(double percent) override { shown.push_back(percent); }
  void SetCaption(const std::wstring& c) override { log.push_back(L"caption " + c); }
  bool MarkStarted(const std::wstring& key) override { return log.push_back(L"mark " + key), true; }
  bool SetItemIcon(const std::wstring& key, int icon) override {
    return log.push_back(L"icon " + key + L" " + std::to_wstring(icon)), true;
  }
  void SetProgress(int value) override { log.push_back(L"progress " + std::to_wstring(value)); }
  void RepaintNow() override { log.push_back(L"repaint"); }
  WindowHandle Owner() override { return this; }
  void StopTimer() override { log.push_back(L"stop"); }
  void EndProgram() override { log.push_back(L"end"); }
  void AddCounter(const std::wstring&) override {}
  double GetValue() override { return usage; }
  bool Start(const std::wstring& line, int show) override {
    log.push_back(L"start " + line + L" show=" + std::to_wstring(show) + L" in " + cwd);
    return !failing;
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
  bool failing = false;
};

// Folders and files that exist, by exact name.
class FakeFs : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::wstring&) override { return std::nullopt; }
  bool ReplaceContents(const std::wstring&, const std::string&) override { return false; }
  bool Append(const std::wstring&, const std::string&) override { return false; }
  bool CanRead(const std::wstring& p) override { return files.count(p) > 0; }
  bool CanAppend(const std::wstring&) override { return false; }
  bool Exists(const std::wstring& p) override { return IsFolder(p) || CanRead(p); }
  bool IsFolder(const std::wstring& p) override { return folders.count(p) > 0; }
  bool IsOrdinaryFile(const std::wstring& p) override { return files.count(p) > 0; }
  bool AnyOrdinaryFileMatches(const std::wstring& p) override { return files.count(p) > 0; }
  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring&) override { return {}; }
  std::set<std::wstring> folders{L"C:/Work"}, files{L"C:/A/doc.txt"};
};

SequenceItem Item(std::wstring key, std::wstring file, std::wstring current = L"", std::wstring option = L"",
                  int size = 1) {
  return SequenceItem{L"title", std::move(file), std::move(current), std::move(option), size, std::move(key)};
}

struct Rig {
  explicit Rig(std::vector<SequenceItem> list, LaunchSettings s = {}, double usage = 0)
      : items(std::move(list)), engine(items, s, sys, &sys, sys, sys, fs) {
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
  LaunchEngine engine;
};

TEST(LaunchEngine, StartsOnTheTickTheRuleAllows) {
  struct Case {
    const char* name;
    LaunchSettings settings;
    double usage;
    int interval, tick;
  } cases[] = {
      {"defaults, idle: tick 4 (600 ms waited)", {}, 0, 200, 4},
      {"defaults, busy: tick 51 (10000 ms waited)", {}, 100, 200, 51},
      {"usage equal to the limit starts", {}, 30, 200, 4},
      {"usage just above the limit waits", {}, 30.01, 200, 51},
      {"IntervalTime 0: the first tick", {30, 10000, 0}, 0, 200, 1},
      {"CPULimit 100: whatever the usage", {100, 10000, 500}, 100, 200, 4},
      {"negative CPULimit: always MaxIdleTime", {-1, 10000, 500}, 0, 200, 51},
      {"MaxIdleTime below IntervalTime", {30, 100, 500}, 100, 200, 4},
      {"interval 150: ceil(500 / 150) + 1", {}, 0, 150, 5},
  };
  for (const Case& c : cases) {
    Rig rig({Item(L"K0", L"a.exe"), Item(L"K1", L"b.exe")}, c.settings, c.usage);
    EXPECT_EQ(rig.TicksToNext(c.interval), c.tick) << c.name;
    EXPECT_EQ(rig.TicksToNext(c.interval), c.tick) << c.name << ": the count starts again after a start";
  }
}

TEST(LaunchEngine, StartStepsRunInOrderAndTheLastStartEndsTheProgram) {
  Rig rig({Item(L"K0", L"C:/Work/clock.exe", L"C:/Work", L"-s", 6), Item(L"K1", L"C:/B/x.EXE")}, {30, 10000, 0},
          12.345678);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Started);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Started);
  EXPECT_EQ(rig.sys.log, (Log{L"caption clockを起動しています。", L"mark K0", L"progress 1", L"repaint", L"cd C:/Work",
                              L"start \"C:/Work/clock.exe\" -s show=6 in C:/Work",
                              // No Current: the folder set for the first item stays.
                              L"caption xを起動しています。", L"mark K1", L"progress 2", L"repaint",
                              L"start \"C:/B/x.EXE\"  show=1 in C:/Work", L"stop", L"end"}));
  EXPECT_EQ(rig.sys.shown, (std::vector<double>{12.35, 12.35}));
  rig.sys.log.clear();
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Idle);
  EXPECT_TRUE(rig.sys.log.empty());
}

TEST(LaunchEngine, ProgramsDocumentsAddressesAndFailures) {
  struct Case {
    const char* name;
    SequenceItem item;
    Outcome outcome;
    std::wstring call;  // the start or shell call in the log, "" for none
  } cases[] = {
      {"com, bat and cmd are programs too", Item(L"K", L"C:/A/y.Cmd", L"", L"", 0), Outcome::Started,
       L"start \"C:/A/y.Cmd\"  show=0 in start-folder"},
      {"a missing Current folder changes nothing", Item(L"K", L"C:/A/y.bat", L"C:/Gone"), Outcome::Started,
       L"start \"C:/A/y.bat\"  show=1 in start-folder"},
      {"a document goes to the shell, its own path as folder", Item(L"K", L"C:/A/doc.txt", L"", L"", 12),
       Outcome::Started, L"shell C:/A/doc.txt dir=C:/A/doc.txt show=4"},
      {"a missing document is silently not opened", Item(L"K", L"C:/A/gone.txt"), Outcome::Started, L""},
      {"an address", Item(L"K", L"HTTP://example.invalid/index.html"), Outcome::Started,
       L"shell HTTP://example.invalid/index.html dir= show=4"},
      // Addresses ending in ".com" are no programs.
      {"mail address", Item(L"K", L"mailto:someone@example.com"), Outcome::Started,
       L"shell mailto:someone@example.com dir= show=4"},
      {"web address", Item(L"K", L"http://www.example.com"), Outcome::Started,
       L"shell http://www.example.com dir= show=4"},
      {"web address with a final slash", Item(L"K", L"http://www.example.com/"), Outcome::Started,
       L"shell http://www.example.com/ dir= show=4"},
      {"secure web address", Item(L"K", L"HTTPS://www.example.com"), Outcome::Started,
       L"shell HTTPS://www.example.com dir= show=4"},
      {"Size that is no show state fails", Item(L"K", L"C:/A/x.exe", L"", L"", 12), Outcome::Failed, L""},
      {"Size beyond 16 bits fails", Item(L"K", L"C:/A/x.exe", L"", L"", -1), Outcome::Failed, L""},
      {"empty File fails without opening anything", Item(L"K", L""), Outcome::Failed, L""},
  };
  for (const Case& c : cases) {
    Rig rig({c.item}, {30, 10000, 0});
    EXPECT_EQ(rig.engine.Tick(200), c.outcome) << c.name;
    std::wstring call;
    for (const std::wstring& line : rig.sys.log)
      if (line.rfind(L"start ", 0) == 0 || line.rfind(L"shell ", 0) == 0) call = line;
    EXPECT_EQ(call, c.call) << c.name;
    const bool grey = std::count(rig.sys.log.begin(), rig.sys.log.end(), L"icon K 1") == 1;
    EXPECT_EQ(grey, c.outcome == Outcome::Failed) << c.name;
    EXPECT_EQ(rig.sys.log.back(), L"end") << c.name;
  }
}

TEST(LaunchEngine, FailedStartMarksTheItemAndTheNextFollowsAfterTheUsualWait) {
  Rig rig({Item(L"K0", L"C:/gone.exe"), Item(L"K1", L"C:/b.exe")});
  rig.sys.failing = true;
  EXPECT_EQ(rig.TicksToNext(), 4);
  // Caption, check mark and progress set before the failure stay; the icon turns grey.
  EXPECT_EQ(rig.sys.log, (Log{L"caption goneを起動しています。", L"mark K0", L"progress 1", L"repaint",
                              L"start \"C:/gone.exe\"  show=1 in start-folder", L"icon K0 1"}));
  rig.sys.failing = false;
  EXPECT_EQ(rig.TicksToNext(), 4);
  EXPECT_EQ(rig.sys.log.back(), L"end");
}

TEST(LaunchEngine, WithoutAMeterEveryItemFailsOnItsFirstTick) {
  Rig rig({Item(L"K0", L"a.exe"), Item(L"K1", L"b.exe")});
  rig.engine.SetMeter(nullptr);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Failed);
  EXPECT_EQ(rig.engine.Tick(200), Outcome::Failed);
  EXPECT_EQ(rig.sys.log, (Log{L"icon K0 1", L"icon K1 1", L"stop", L"end"}));
}

}  // namespace
