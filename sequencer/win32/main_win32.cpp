// Tarvoline's entry: the portable entry steps with the real message box and
// window, then the message loop while the window runs the sequence; or,
// under /check, the sequence check with the real file system and shell.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/path_rules.h"
#include "common/ui_text.h"
#include "common/win32/file_time.h"
#include "common/win32/raii.h"
#include "common/win32/message_boxes.h"
#include "common/win32/program_info.h"
#include "common/win32/redirection.h"
#include "autostart/win32/startup_entries_win32.h"
#include "sequence/sequence_check.h"
#include "sequence/win32/guard_win32.h"
#include "sequence/win32/launch_system_win32.h"
#include "sequencer/entry.h"
#include "sequencer/texts.h"
#include "sequencer/win32/main_window.h"
#include "sequencer/timeline_recorder.h"
#include "sequencer/win32/report_clock_win32.h"

namespace {

// The programs that start by themselves at log-on: every enabled start-up
// entry the system would start.
class SystemAutoStartPrograms final : public sequence::check::AutoStartPrograms {
 public:
  std::vector<std::wstring> EnabledProgramPaths() override { return autostart::EnabledProgramPaths(); }
  std::vector<std::wstring> NewEntries(const std::vector<sequence::SequenceItem>& items) override {
    std::vector<std::wstring> added;
    for (const sequence::guard::Finding& f : sequence::guard::RunOnSystem(items, false, false))
      if (f.kind == sequence::guard::Kind::NewEntry) added.push_back(f.name + L" (" + f.detail + L")");
    return added;
  }
};

int RunCheck(const sequence::check::Command& command, ui::Messages& messages) {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  const sequence::check::Environment env{win::ProgramPath(), autostart::SearchFolders(),
                                         {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond},
                                         UserNumberSeparators()};
  SystemAutoStartPrograms autoStart;
  // Paths are tested as the 64-bit program sees them, as a start would find them.
  win::UnredirectedTests files;
  const sequence::check::Result result = sequence::check::Run(command, env, {files, RealShell(), autoStart});
  if (!result.written && !command.quiet) {
    messages.Show(ui::Format(ui::Text(sequencer::texts::kCheckNotWritten), {result.reportPath}), ui::MessageIcon::Critical);
  }
  return result.exitCode;
}

// The engine's own clock, so that the recorder's times and the engine's agree.
std::int64_t SteadyNow() { return RealLaunchSystem().SteadyMs().value_or(0); }

// How long ago the user's shell started (the creation time of the process
// owning the shell's window); nullopt without one.
std::optional<std::int64_t> SinceShellMs() {
  DWORD id = 0;
  if (HWND shell = ::GetShellWindow()) ::GetWindowThreadProcessId(shell, &id);
  win::Handle process(id ? ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id) : nullptr);
  FILETIME created{}, ended, kernel, user;
  if (!process || !::GetProcessTimes(process.get(), &created, &ended, &kernel, &user)) return std::nullopt;
  const std::uint64_t now = win::FileTimeNow(), then = win::FileTimeValue(created);
  return now > then ? std::optional(static_cast<std::int64_t>((now - then) / 10000)) : std::nullopt;
}

// Waits ms while answering what is sent to this thread's windows, hidden
// ones too: other programs send to every window at log-on, and each would
// wait for an answer. A quit asked meanwhile changes nothing: the program
// ends after the wait anyway.
void WaitAnswering(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

timeline::Run RunBegins(const sequence::Settings& s) {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  timeline::Run run;
  run.began = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  run.sinceBootMs = SteadyNow();
  run.sinceShellMs = SinceShellMs();
  run.settings = {s.cpuLimit,  s.maxIdleTime, s.intervalTime, s.timerInterval, s.readyWait, s.skipRunning,
                  s.settleWait ? timeline::Pacing::Settle : timeline::Pacing::Classic};
  return run;
}

class WindowsEntryUi final : public sequencer::EntryUi {
 public:
  explicit WindowsEntryUi(int showCommand) : showCommand_(showCommand) {}

  bool ShowMainWindow(sequencer::Run run) override {
    // Kept here: the window reads the items and writes the report for as long as it runs.
    run_ = std::move(run);
    if (run_.settings.timeline) {
      timeline_.emplace(RunBegins(run_.settings), SteadyNow());
      listing_.emplace(RealLaunchSystem(), *timeline_);
    }
    window_ = std::make_unique<sequencer::MainWindow>(sequencer::MainWindowArgs{
        .items = run_.sequence.items,
        .settings = LaunchSettings::From(run_.settings),
        .timerInterval = run_.settings.timerInterval,
        .endProgram = [this] { EndProgram(); },
        .launcher = listing_ ? static_cast<LaunchSystem&>(*listing_) : RealLaunchSystem(),
        .report = &run_.report,
        .timeline = timeline_ ? &*timeline_ : nullptr});
    return window_->Create(showCommand_);
  }

  // The last item was handled, or the window closed: the timeline, after the
  // impact of the last programs started (with no window, at most
  // timeline::kImpactWindowMs more), then the end.
  void EndProgram() {
    if (timeline_) {
      if (std::optional<std::int64_t> by = timeline_->MeasuredBy()) {
        // Looked at as often as the timer did, so that an early end is timed
        // as closely. Programs that have all ended cost one list, which says
        // whether anything they started still runs: if not, no need to stay.
        // The window goes once a stay is sure: hiding it is not free (under
        // the emulator it waits for the window manager), and programs that
        // end at once need none.
        bool looked = false, done = false;
        for (std::int64_t now = SteadyNow(); now < *by && !done; now = SteadyNow()) {
          WaitAnswering(static_cast<DWORD>(std::min<std::int64_t>(*by - now, 200)));
          timeline_->Tick(SteadyNow(), std::nullopt, std::nullopt);
          if (timeline_->WantsList(SteadyNow()))
            if (auto list = RealLaunchSystem().Snapshot()) timeline_->Listed(SteadyNow(), *list);
          if (!looked && timeline_->ProgramsEnded()) {
            looked = true;
            if (auto list = RealLaunchSystem().Snapshot()) timeline_->Listed(SteadyNow(), *list);
            done = timeline_->NothingLeft();
          }
          if (!done && window_ && window_->hwnd() && ::IsWindowVisible(window_->hwnd()))
            ::ShowWindow(window_->hwnd(), SW_HIDE);
        }
        if (!done)
          if (auto list = RealLaunchSystem().Snapshot()) timeline_->Listed(SteadyNow(), *list);
      }
      const int left = static_cast<int>(run_.sequence.items.size()) - (window_ ? window_->HandledCount() : 0);
      const std::wstring path = paths::Join(paths::Parent(win::ProgramPath()),
                                            paths::Stem(win::ProgramPath()) + timeline::kFileSuffix);
      sequencer::SaveRun(RealFileSystem(), path, timeline_->Finish(SteadyNow(), left));
      timeline_.reset();
    }
    ::ExitProcess(0);
  }

  report::Clock* ReportClock() override { return &RealReportClock(); }

  std::vector<sequence::guard::Finding> RunGuard(const std::vector<sequence::SequenceItem>& items,
                                                 bool switchOff) override {
    return sequence::guard::RunOnSystem(items, switchOff, true);
  }

 private:
  int showCommand_;
  sequencer::Run run_;
  std::optional<sequencer::TimelineRecorder> timeline_;
  std::optional<sequencer::ListingLaunchSystem> listing_;
  std::unique_ptr<sequencer::MainWindow> window_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  const std::wstring arguments = sequencer::ArgumentText(::GetCommandLineW());
  win::MessageBoxes messages(sequencer::kProgramTitle);
  if (std::optional<sequence::check::Command> check = sequence::check::ParseCommand(arguments))
    return RunCheck(*check, messages);
  WindowsEntryUi ui(showCommand);
  const sequencer::MainOutcome outcome = sequencer::Main(arguments, win::ProgramPath(), ui, messages, RealFileSystem(), UserNumberSeparators());
  if (outcome != sequencer::MainOutcome::WindowShown) return 0;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ui.EndProgram();  // the user closed the window
  return 0;
}
