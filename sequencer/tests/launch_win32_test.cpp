// Real starts: the window's engine starts the probe program through the real
// process seam; the probe writes down its command line, working folder and
// show state, or (started with -sleep) its process id, when it began and when
// its window was there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

#include "common/text.h"
#include "common/ui_text.h"
#include "common/win32/program_info.h"
#include "common/win32/redirection.h"
#include "sequence/win32/launch_system_win32.h"
#include "sequencer/texts.h"
#include "sequencer/win32/report_clock_win32.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"
#include "sequencer/tests/window_rig.h"

namespace {

// The probe's lines, lower-cased and sorted (the programs run on their own, in
// any order); waits until count lines are there.
std::vector<std::wstring> ProbeLines(const std::wstring& file, size_t count) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < 300 && lines.size() < count; ++i) {
    if (i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::wstring all = text::ToLower(text::FromUtf8(TempFolder::Read(file)));
    lines.clear();
    for (size_t start = 0, end; (end = all.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
      lines.push_back(all.substr(start, end - start));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

sequence::SequenceItem Item(std::wstring file, std::wstring current, std::wstring option, int size) {
  return {L"t", std::move(file), std::move(current), std::move(option), size};
}

// A copy of the probe in dir, named name; every probe writes to dir/runs.txt.
std::wstring Probe(TempFolder& dir, const wchar_t* name = L"probe.exe") {
  const std::wstring probe = dir / name;
  EXPECT_TRUE(::CopyFileW((win::ProgramFolder() + L"\\tvl_probe.exe").c_str(), probe.c_str(), FALSE));
  ::SetEnvironmentVariableW(L"TVL_PROBE_OUT", (dir / L"runs.txt").c_str());
  return probe;
}

// The window over items, starting them for real.
sequencer::MainWindowArgs Args(const std::vector<sequence::SequenceItem>& items, LaunchSettings settings, int& ends,
                 report::StartReport* report = nullptr) {
  return {.items = items, .settings = settings, .timerInterval = 100, .createMeter = ZeroMeter::Make,
          .endProgram = [&ends] { ++ends; }, .quitOnClose = false, .report = report};
}

TEST(RealStarts, QuotingOptionCurrentAndShowStateReachTheProgram) {
  TempFolder dir;
  const std::wstring probe = Probe(dir, L"Probe Copy.EXE");  // a blank to quote, and capitals
  const std::wstring work = dir / L"work folder";
  ASSERT_TRUE(::CreateDirectoryW(work.c_str(), nullptr));
  wchar_t before[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, before);

  std::vector<sequence::SequenceItem> items = {
      Item(probe, work, L"-a \"b c\"", 2),
      Item(probe, L"", L"", 6),  // no Current: still the work folder
      Item(dir / L"missing.exe", L"", L"", 1),
      Item(probe, dir / L"gone", L"x", 3),  // a missing Current changes nothing
  };
  int ends = 0;
  sequencer::MainWindow window(Args(items, {30, 10000, 0}, ends));
  ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
  for (int i = 0; i < 4; ++i) window.OnTick();
  EXPECT_EQ(ends, 1);

  std::vector<std::wstring> lines = ProbeLines(dir / L"runs.txt", 3);
  ::SetCurrentDirectoryW(before);
  // Command line, working folder, show flag given, show state.
  const std::wstring quoted = L"\"" + probe + L"\" ", in = L"\t" + work + L"\t1\t";
  std::vector<std::wstring> expected = {quoted + L"-a \"b c\"" + in + L"2", quoted + L"x" + in + L"3", quoted + in + L"6"};
  for (std::wstring& e : expected) e = text::ToLower(e);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
}

// The probe's -sleep lines: command line → (pid, start, window).
struct SlowProbe {
  long long pid = 0, start = 0, window = 0;
};
std::map<std::wstring, SlowProbe> SlowLines(const std::wstring& file, size_t count) {
  std::map<std::wstring, SlowProbe> found;
  for (const std::wstring& line : ProbeLines(file, count)) {
    size_t at = line.find(L"\tpid ");
    if (at == std::wstring::npos) continue;
    SlowProbe p;
    swscanf(line.c_str() + at, L"\tpid %lld\tstart %lld\twindow %lld", &p.pid, &p.start, &p.window);
    found[line.substr(0, at)] = p;
  }
  return found;
}

// Ticks the window as its timer would, until the engine ends the run.
void RunToTheEnd(sequencer::MainWindow& window, const int& ends) {
  for (int i = 0; i < 300 && ends == 0; ++i) {
    window.OnTick();
    std::this_thread::sleep_for(std::chrono::milliseconds(window.TimerIntervalMs()));
  }
}

std::wstring SystemText(DWORD code) {
  wchar_t buffer[512];
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer, 512,
                             nullptr);
  std::wstring s(buffer, n);
  return s.substr(0, s.find_last_not_of(L"\r\n. ") + 1);
}

// The failed item between the two never makes the next wait; its line in
// the report carries the system's own reason.
TEST(RealStarts, ReadyWaitStartsTheNextItemOnlyOnceTheSlowProgramHasItsWindow) {
  TempFolder dir;
  const std::wstring probe = Probe(dir), log = dir / L"Tarvoline.log";
  std::vector<sequence::SequenceItem> items = {Item(probe, L"", L"-sleep 2000 -live 500", 4),
                                              Item(dir / L"missing.exe", L"", L"", 1),
                                              Item(probe, L"", L"-sleep 0", 4)};
  report::StartReport report;
  report.Open(log, RealFileSystem(), RealReportClock());
  int ends = 0;
  sequencer::MainWindow window(Args(items, {100, 10000, 0, true, true}, ends, &report));
  ASSERT_TRUE(window.Create(SW_HIDE));
  RunToTheEnd(window, ends);
  ASSERT_EQ(ends, 1);

  std::map<std::wstring, SlowProbe> runs = SlowLines(dir / L"runs.txt", 2);
  const std::wstring quoted = text::ToLower(L"\"" + probe + L"\" ");
  const SlowProbe slow = runs[quoted + L"-sleep 2000 -live 500"], next = runs[quoted + L"-sleep 0"];
  ASSERT_GT(slow.window, 0);
  EXPECT_GT(next.start, slow.window);
  const std::wstring failed = ui::Format(ui::Text(sequencer::texts::kOutcomeFailed), {SystemText(ERROR_FILE_NOT_FOUND)});
  EXPECT_NE(text::FromUtf8(TempFolder::Read(log)).find(failed + L"\r\n"), std::wstring::npos) << TempFolder::Read(log);
}

// A machine kept busy by a program the run did not start: each item goes
// once the program started before it has settled, read from the system's
// process list, not after MaxIdleTime. (How long the first, busy with its
// start-up work, holds the second depends on the share of the processors it
// gets: the engine's tests and the log-on benchmark measure that.)
TEST(RealStarts, OnABusyMachineEachItemGoesOnceTheOneBeforeHasSettled) {
  struct BusyMeter : CpuMeter {
    double GetValue() override { return 90; }
  };
  TempFolder dir;
  const std::wstring probe = Probe(dir), log = dir / L"Tarvoline.log";
  tvltest::Process stranger;
  ASSERT_TRUE(stranger.Start(probe, L" -busy 30000 stranger"));
  std::vector<sequence::SequenceItem> items = {Item(probe, L"", L"-busy 1500 -live 9000 first", 4),
                                              Item(probe, L"", L"-sleep 0 -live 9000 second", 4),
                                              Item(probe, L"", L"-sleep 0 -live 9000 third", 4)};
  report::StartReport report;
  report.Open(log, RealFileSystem(), RealReportClock());
  int ends = 0;
  sequencer::MainWindowArgs args = Args(items, {30, 10000, 500, false, false, true}, ends, &report);
  args.createMeter = [] { return std::unique_ptr<CpuMeter>(std::make_unique<BusyMeter>()); };
  sequencer::MainWindow window(args);
  ASSERT_TRUE(window.Create(SW_HIDE));
  RunToTheEnd(window, ends);
  ASSERT_EQ(ends, 1);

  std::map<std::wstring, SlowProbe> runs = SlowLines(dir / L"runs.txt", 3);
  const std::wstring quoted = text::ToLower(L"\"" + probe + L"\" ");
  const SlowProbe first = runs[quoted + L"-busy 1500 -live 9000 first"], second = runs[quoted + L"-sleep 0 -live 9000 second"],
                  third = runs[quoted + L"-sleep 0 -live 9000 third"];
  ASSERT_GT(first.window, 0);
  EXPECT_GE(second.start - first.start, 1000) << "a program is not settled before its first second is measured";
  EXPECT_LT(second.start - first.window, 5000) << "waited for the busy machine";
  EXPECT_LT(third.start - second.start, 5000) << "waited for the busy machine";
  const std::wstring reported = text::FromUtf8(TempFolder::Read(log));
  const std::wstring settled = ui::Format(ui::Text(sequencer::texts::kReasonSettled), {L"90 %"});
  size_t count = 0;
  for (size_t at = reported.find(settled); at != std::wstring::npos; at = reported.find(settled, at + 1)) ++count;
  EXPECT_EQ(count, 2u) << text::ToUtf8(reported);
  const std::wstring nothing = ui::Format(ui::Text(sequencer::texts::kReasonNothingStarting), {L"90 %"});
  EXPECT_NE(reported.find(nothing), std::wstring::npos) << "the first item: nothing of the run's was starting";
  // The list gives another process's processor time (where asking the process may read 0).
  const auto list = RealLaunchSystem().Snapshot();
  ASSERT_TRUE(list);
  const auto busy = std::find_if(list->begin(), list->end(), [&](const auto& e) { return e.id == stranger.pi.dwProcessId; });
  ASSERT_NE(busy, list->end());
  EXPECT_GT(busy->cpuTime.value_or(0), 5000000u) << "half a second of the stranger's work";
  for (const SlowProbe& run : {first, second, third})
    if (win::Handle p{::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(run.pid))}) ::TerminateProcess(p.get(), 0);
  ::TerminateProcess(stranger.process.get(), 0);
}

// The programs this test exists to catch start alongside the run, at any
// moment. Here another program starts one two seconds after the run began,
// after the first item was tested and started: the later item with the same
// program and arguments finds it and is not started again.
TEST(RealStarts, AProgramAnotherStartsDuringTheRunIsFoundByALaterItem) {
  TempFolder dir;
  const std::wstring probe = Probe(dir), out = dir / L"runs.txt", late = L"-sleep 0 -live 8000 late";
  std::vector<sequence::SequenceItem> items = {Item(probe, L"", L"-sleep 0 first", 4), Item(probe, L"", late, 4)};
  int ends = 0;
  sequencer::MainWindow form(Args(items, {100, 10000, 0, false, true}, ends));
  ASSERT_TRUE(form.Create(SW_HIDE));
  tvltest::Process other;
  ASSERT_TRUE(other.Start(probe, L" -spawn 2000 " + late));
  form.OnTick();
  ASSERT_EQ(Icon(form, 0), itemicon::kStarted);
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const long long tested = ((static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
  // The second item is tested once the other program's copy runs.
  const std::wstring quoted = text::ToLower(L"\"" + probe + L"\" ");
  std::map<std::wstring, SlowProbe> runs = SlowLines(out, 2);
  ASSERT_GT(runs[quoted + late].start, tested) << "the other program started before the first item's test";
  RunToTheEnd(form, ends);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(Icon(form, 1), itemicon::kRunning);
  std::this_thread::sleep_for(std::chrono::seconds(1));  // time for a copy the run might have started
  EXPECT_EQ(ProbeLines(out, 2).size(), 2u) << "the later item started it again";
  for (const auto& [line, run] : SlowLines(out, 2))
    if (win::Handle p{::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(run.pid))})
      ::TerminateProcess(p.get(), 0);
}

// A process that has ended stays openable while a handle holds it (its
// parent's, here this test's): opened after the list was taken, it runs
// nothing any more and is not read as running.
TEST(RealStarts, AnEndedProcessHeldOpenIsNotRunning) {
  TempFolder dir;
  const std::wstring probe = Probe(dir);
  tvltest::Process ended;
  ASSERT_TRUE(ended.Start(probe, L" -sleep 0 -live 1"));
  ASSERT_EQ(ended.Wait(), 0u);
  EXPECT_FALSE(RealLaunchSystem().Inspect(ended.pi.dwProcessId).has_value());
}

// The 32-bit build starts a System32 program with file-system redirection
// off: the test finds it in the same view, where a program only System32
// holds is there (with redirection on, SysWOW64 has no such file). The same
// on the 64-bit build, which has no redirection.
TEST(RealStarts, ASystem32ProgramIsFoundWhereTheStartFindsIt) {
  wchar_t system[MAX_PATH];
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring copy = std::wstring(system) + L"\\tvl-probe-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
  TempFolder dir;
  const std::wstring probe = Probe(dir), option = L"-sleep 0 -live 8000 system";
  {
    win::RedirectionOff redirection;
    if (!::CopyFileW(probe.c_str(), copy.c_str(), FALSE)) GTEST_SKIP() << "System32 cannot be written here";
  }
  LaunchSystem& system32 = RealLaunchSystem();
  LaunchResult started = system32.StartProgram(L"\"" + copy + L"\" " + option, SW_HIDE, false);
  EXPECT_TRUE(started.ok) << text::ToUtf8(started.error);
  if (started.ok) {
    EXPECT_EQ(SlowLines(dir / L"runs.txt", 1).size(), 1u);
    running::ProcessList list;
    EXPECT_EQ(running::FindRunning(system32, list, copy, L"", option, {}), started.processId);
    if (win::Handle p{::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, started.processId)}) {
      ::TerminateProcess(p.get(), 0);
      ::WaitForSingleObject(p.get(), 10000);
    }
  }
  win::RedirectionOff redirection;
  ::DeleteFileW(copy.c_str());
}

// The real question to the system, end to end: an item with Network 1500
// starts through the real launch system whatever it answers (how long it
// waits for which answer is the engine's rule, checked natively). Run once
// more without any connection (its own network namespace and Wine prefix,
// TVL_EXPECT_OFFLINE=1), where the answer must be no.
TEST(RealStarts, ANetworkItemGoesByTheSystemsOwnAnswer) {
  const std::optional<bool> up = RealLaunchSystem().InternetConnected();
  std::printf("internet access: %s\n", !up ? "cannot be asked" : *up ? "yes" : "no");
  char offline[8] = "";
  if (::GetEnvironmentVariableA("TVL_EXPECT_OFFLINE", offline, sizeof offline)) {
    EXPECT_EQ(up, false);
  }
  TempFolder dir;
  const std::wstring probe = Probe(dir);
  std::vector<sequence::SequenceItem> items = {Item(probe, L"", L"-sleep 0", 4)};
  items[0].network = 1500;
  int ends = 0;
  sequencer::MainWindow window(Args(items, {100, 10000, 0}, ends));
  ASSERT_TRUE(window.Create(SW_HIDE));
  RunToTheEnd(window, ends);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(SlowLines(dir / L"runs.txt", 1).size(), 1u);
}

}  // namespace
