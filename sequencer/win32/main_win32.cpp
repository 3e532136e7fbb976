// Tarvoline's entry: the portable entry steps with the real message box and
// window, then the message loop while the window runs the sequence; or,
// under /check, the sequence check with the real file system and shell.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ui_text.h"
#include "common/win32/message_boxes.h"
#include "common/win32/program_info.h"
#include "common/win32/redirection.h"
#include "autostart/win32/startup_entries_win32.h"
#include "sequence/sequence_check.h"
#include "sequence/win32/guard_win32.h"
#include "sequencer/entry.h"
#include "sequencer/texts.h"
#include "sequencer/win32/main_window.h"
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

class WindowsEntryUi final : public sequencer::EntryUi {
 public:
  explicit WindowsEntryUi(int showCommand) : showCommand_(showCommand) {}

  bool ShowMainWindow(sequencer::Run run) override {
    // Kept here: the window reads the items and writes the report for as long as it runs.
    run_ = std::move(run);
    window_ = std::make_unique<sequencer::MainWindow>(
        sequencer::MainWindowArgs{.items = run_.sequence.items,
                                  .settings = LaunchSettings::From(run_.settings),
                                  .timerInterval = run_.settings.timerInterval,
                                  .report = &run_.report});
    return window_->Create(showCommand_);
  }

  report::Clock* ReportClock() override { return &RealReportClock(); }

  std::vector<sequence::guard::Finding> RunGuard(const std::vector<sequence::SequenceItem>& items,
                                                 bool switchOff) override {
    return sequence::guard::RunOnSystem(items, switchOff, true);
  }

 private:
  int showCommand_;
  sequencer::Run run_;
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
  return 0;
}
