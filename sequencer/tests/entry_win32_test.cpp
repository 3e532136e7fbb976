// Tarvoline at log-on when its sequence file is gone after earlier runs.
#include <gtest/gtest.h>

#include <vector>

#include "common/text.h"
#include "sequence/timeline.h"
#include "common/win32/program_info.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"

namespace {

std::string Record(const std::string& title, const std::string& file) {
  return "2001/05/12\x81\x46" + title + "\x01\x01" "File=" + file + "\r\nSize = 1\r\nNoUse = 0\x01";
}

// The built program and the probe it starts, copied into t; every probe writes to t/runs.txt.
bool CopyPrograms(TempFolder& t) {
  SetEnvironmentVariableW(L"TVL_PROBE_OUT", (t / L"runs.txt").c_str());
  return CopyFileW((tvltest::ProgramFolder() + L"\\Tarvoline.exe").c_str(), (t / L"Tarvoline.exe").c_str(), FALSE) &&
         CopyFileW((win::ProgramFolder() + L"\\tvl_probe.exe").c_str(), (t / L"probe.exe").c_str(), FALSE);
}

// The top-level windows of a process.
struct WindowsOf { DWORD process; std::vector<HWND> found; };
BOOL CALLBACK AddWindowOf(HWND hwnd, LPARAM out) {
  auto* w = reinterpret_cast<WindowsOf*>(out);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == w->process) w->found.push_back(hwnd);
  return TRUE;
}
std::vector<HWND> TopWindows(DWORD process) {
  WindowsOf w{process, {}};
  EnumWindows(AddWindowOf, reinterpret_cast<LPARAM>(&w));
  return w.found;
}

// The built program, as the user meets it after a few log-ons: earlier runs
// in the same prefix (one that writes its settings, three starts, paced
// starts, a run closed by its window), then a sequence file that is gone.
// Its message must keep answering other programs, which send to every window
// at log-on; in its own Wine prefix (ctest entry entry_win32_runs_test).
TEST(StartupFaults, TheNotFoundMessageAnswersAfterEarlierRuns) {
  if (!GetEnvironmentVariableW(L"TVL_OWN_PREFIX", nullptr, 0)) GTEST_SKIP() << "run in a prefix of its own";
  TempFolder t;
  const std::wstring exe = t / L"Tarvoline.exe", probe = t / L"probe.exe";
  ASSERT_TRUE(CopyPrograms(t));
  std::string three;
  for (int i = 0; i < 3; ++i) three += Record(std::string("p").append(std::to_string(i)), text::ToAnsi(probe));
  const std::wstring one = t.Write(L"one.pmw", Record("p", text::ToAnsi(probe))), seq = t.Write(L"three.pmw", three);
  const auto run = [&](const std::wstring& sequence, bool close) {
    tvltest::Process p;
    if (!p.Start(exe, L" \"" + sequence + L"\"")) return DWORD{98};
    if (close)
      if (HWND w = tvltest::WaitForWindow(p.pi.dwThreadId, L"TarvolineMain")) PostMessageW(w, WM_CLOSE, 0, 0);
    return p.Wait();
  };
  EXPECT_EQ(run(one, false), 0u);  // writes Tarvoline.ini
  for (const char* interval : {"0", "300", "60000"}) {  // the last run is closed by its window
    t.Write(L"Tarvoline.ini", std::string("CPULimit = 100\r\nMaxIdleTime = 1000\r\nIntervalTime = ") + interval +
                                  "\r\nTimerInterval = 100\r\n");
    EXPECT_EQ(run(seq, interval[0] == '6'), 0u);
  }

  tvltest::Process p;
  ASSERT_TRUE(p.Start(exe, L" \"" + (t / L"gone.pmw") + L"\""));
  ASSERT_NE(tvltest::WaitForWindow(p.pi.dwThreadId, L"#32770"), nullptr);
  // Every window of the process, hidden ones too: a broadcast reaches them all.
  for (HWND w : TopWindows(p.pi.dwProcessId)) {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer)) << "no answer within 2 s";
  }
  const std::wstring message = tvltest::AnswerMessage(p.pi.dwThreadId);
  EXPECT_NE(message.find(L"gone.pmw"), std::wstring::npos) << text::ToUtf8(message);
  EXPECT_EQ(p.Wait(), 0u);
}

// A real run under the built program writes its timeline beside its report:
// each item with what came of it, the Delay it was held for, and the impact
// of each program it started (the heavy one's processor time read from the
// system's list, as another process's own times read 0 under Wine).
TEST(Timeline, ARealRunRecordsEachItemAndTheImpactOfEachStartedProgram) {
  TempFolder t;
  const std::wstring exe = t / L"Tarvoline.exe", probe = t / L"probe.exe";
  ASSERT_TRUE(CopyPrograms(t));
  tvltest::Process running;
  ASSERT_TRUE(running.Start(probe, L" -sleep 0 -live 30000 running"));
  const std::string file = text::ToAnsi(probe);
  const auto item = [&](const std::string& title, const std::string& target, const std::string& rest) {
    return "2001/05/12\x81\x46" + title + "\x01\x01" "File=" + target + "\r\n" + rest + "Size = 1\r\nNoUse = 0\x01";
  };
  const std::wstring seq = t.Write(L"seq.pmw", item("heavy", file, "Option=-busy 1200 -live 2500 heavy\r\n") +
                                                   item("running", file, "Option=-sleep 0 -live 30000 running\r\n") +
                                                   item("missing", text::ToAnsi(t / L"missing.exe"), "") +
                                                   item("held", file, "Option=-sleep 0 -live 300 held\r\nDelay = 1000\r\n"));
  t.Write(L"Tarvoline.ini", "CPULimit = 100\r\nMaxIdleTime = 3000\r\nIntervalTime = 300\r\nTimerInterval = 100\r\n");
  Sleep(1000);  // the running copy is listed by then
  EXPECT_EQ(tvltest::Run(exe, L" \"" + seq + L"\""), 0u);
  TerminateProcess(running.process.get(), 0);

  const timeline::ReadResult read = timeline::Read(TempFolder::Read(t / L"Tarvoline.timeline.txt"));
  ASSERT_EQ(read.runs.size(), 1u);
  const timeline::Run& run = read.runs[0];
  ASSERT_EQ(run.items.size(), 4u);
  EXPECT_EQ(run.itemsLeft, 0);
  EXPECT_FALSE(run.usage.empty());
  const timeline::Item &heavy = run.items[0], &skipped = run.items[1], &missing = run.items[2], &held = run.items[3];
  EXPECT_EQ(heavy.result, timeline::Result::Started);
  ASSERT_TRUE(heavy.impactMs);
  EXPECT_GE(*heavy.impactMs, 1000) << "its own second and more of work";
  ASSERT_TRUE(heavy.ended) << "it ends within its first ten seconds";
  EXPECT_EQ(heavy.ended->exitCode, 0u);
  EXPECT_EQ(skipped.result, timeline::Result::AlreadyRunning);
  EXPECT_FALSE(skipped.impactMs);
  EXPECT_EQ(missing.result, timeline::Result::Failed);
  EXPECT_FALSE(missing.error.empty());
  EXPECT_EQ(held.result, timeline::Result::Started);
  EXPECT_TRUE(held.impactMs);
  ASSERT_FALSE(held.holds.empty());
  EXPECT_EQ(held.holds.front().kind, timeline::HoldKind::Delay);
  EXPECT_GE(held.holds.front().toMs - held.holds.front().fromMs, 900);
}

// After its last start it stays to measure the programs still in their first
// seconds: with no window, and answering all the while what other programs
// send to every window at log-on; then it ends by itself.
TEST(Timeline, TheStayAfterTheLastStartShowsNoWindowAndAnswers) {
  TempFolder t;
  const std::wstring exe = t / L"Tarvoline.exe";
  ASSERT_TRUE(CopyPrograms(t));
  const std::wstring seq = t.Write(L"seq.pmw", "2001/05/12\x81\x46" "lives\x01\x01" "File=" + text::ToAnsi(t / L"probe.exe") +
                                                   "\r\nOption=-sleep 0 -live 6000 lives\r\nSize = 1\r\nNoUse = 0\x01");
  t.Write(L"Tarvoline.ini", "CPULimit = 100\r\nMaxIdleTime = 1000\r\nIntervalTime = 0\r\nTimerInterval = 100\r\n");
  tvltest::Process p;
  ASSERT_TRUE(p.Start(exe, L" \"" + seq + L"\""));
  HWND main = tvltest::WaitForWindow(p.pi.dwThreadId, L"TarvolineMain");
  ASSERT_NE(main, nullptr);
  // The program lives 6 s, so the stay is well under way after 2.
  for (int i = 0; i < 20 && IsWindowVisible(main); ++i) Sleep(100);
  EXPECT_FALSE(IsWindowVisible(main)) << "the window is gone during the stay";
  ASSERT_EQ(WaitForSingleObject(p.process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "it stays";
  // 3 s: under Wine without a window manager, hiding a window waits 2 s for one.
  for (HWND w : TopWindows(p.pi.dwProcessId)) {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &answer)) << "no answer within 3 s";
  }
  EXPECT_EQ(p.Wait(), 0u);
  const timeline::ReadResult read = timeline::Read(TempFolder::Read(t / L"Tarvoline.timeline.txt"));
  ASSERT_EQ(read.runs.size(), 1u);
  ASSERT_EQ(read.runs[0].items.size(), 1u);
  EXPECT_TRUE(read.runs[0].items[0].impactMs);
  ASSERT_TRUE(read.runs[0].items[0].ended) << "it ended within the stay";
}

}  // namespace
