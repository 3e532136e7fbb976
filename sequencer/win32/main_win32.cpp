// Tarvoline's entry: the portable entry steps with the real message box and
// window, then the message loop while the window runs the sequence; or,
// under /check, the sequence check with the real file system and shell.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/tool.h"
#include "common/ui_text.h"
#include "common/win32/program_info.h"
#include "common/win32/startup_entries.h"
#include "sequencer/sequence_check.h"
#include "sequencer/startup.h"
#include "sequencer/texts.h"
#include "sequencer/win32/frm_main.h"
#include "sequencer/win32/launch_system_win32.h"

namespace {

// The programs that start by themselves at log-on: every enabled start-up
// entry the system would start.
class SystemAutoStartPrograms final : public seqcheck::AutoStartPrograms {
 public:
  std::vector<std::wstring> EnabledProgramPaths() override {
    std::vector<std::wstring> paths;
    for (const startup::Entry& e : startup::ListEntries())
      if (e.enabled && e.isString && e.readable && !e.program.empty()) paths.push_back(e.program);
    return paths;
  }
};

int RunCheck(const seqcheck::Command& command) {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  const seqcheck::Environment env{program::Path(), startup::SearchFolders(),
                                  {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}};
  SystemAutoStartPrograms autoStart;
  const seqcheck::Result result = seqcheck::Run(command, env, {RealFileSystem(), RealShell(), autoStart});
  if (!result.written && !command.quiet) {
    const std::wstring message = ui::Format(ui::Text(sequencer::texts::kCheckNotWritten), {result.reportPath});
    ::MessageBoxW(nullptr, message.c_str(), Startup::kProgramTitle, MB_OK | MB_ICONSTOP);
  }
  return result.exitCode;
}

class WindowsEntryUi final : public Startup::EntryUi {
 public:
  explicit WindowsEntryUi(int showCommand) : showCommand_(showCommand) {}

  void ShowNotFound(const std::wstring& message) override {
    ::MessageBoxW(nullptr, message.c_str(), Startup::kProgramTitle, MB_OK | MB_ICONSTOP);
  }

  bool ShowMainWindow() override {
    // Built only now: the window takes the settings Main has just read.
    window_ = std::make_unique<frmMain>(FrmMainArgs{});
    return window_->Create(showCommand_);
  }

  report::Clock* ReportClock() override { return &RealReportClock(); }

 private:
  int showCommand_;
  std::unique_ptr<frmMain> window_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  const std::wstring arguments = Startup::ArgumentText(::GetCommandLineW());
  if (std::optional<seqcheck::Command> check = seqcheck::ParseCommand(arguments)) return RunCheck(*check);
  WindowsEntryUi ui(showCommand);
  const Startup::MainOutcome outcome = Startup::Main(arguments, program::Path(), ui);
  if (outcome != Startup::MainOutcome::WindowShown) return 0;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
