// Tarvoline's entry: the portable entry steps with the real message box and
// window, then the message loop while the window runs the sequence; or,
// under /check, the sequence check with the real file system and shell.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/tool.h"
#include "common/win32/program_info.h"
#include "sequencer/sequence_check.h"
#include "sequencer/startup.h"
#include "sequencer/win32/frm_main.h"
#include "sequencer/win32/launch_system_win32.h"

namespace {

// TODO(issue 10 enumerator): list the enabled entries of the Startup folders
// and the Run keys here; until then the check finds no program that would
// start twice.
class NoAutoStartPrograms final : public seqcheck::AutoStartPrograms {
 public:
  std::vector<std::wstring> EnabledProgramPaths() override { return {}; }
};

std::wstring SystemFolder(UINT(WINAPI* get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH] = L"";
  const UINT n = get(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

// Where a process start looks for a program named without a folder, after
// the program's own folder and the current one.
std::vector<std::wstring> SearchFolders() {
  std::vector<std::wstring> folders;
  for (std::wstring f : {SystemFolder(::GetSystemDirectoryW), SystemFolder(::GetWindowsDirectoryW)})
    if (!f.empty()) folders.push_back(std::move(f));
  const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring path(size, L'\0');
  path.resize(size ? ::GetEnvironmentVariableW(L"PATH", path.data(), size) : 0);
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = tool::StripQuotes(std::wstring_view(path).substr(start, end - start));
    if (!folder.empty()) folders.push_back(std::move(folder));
    start = end + 1;
  }
  return folders;
}

int RunCheck(const seqcheck::Command& command) {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  const seqcheck::Environment env{program::Path(), SearchFolders(),
                                  {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}};
  NoAutoStartPrograms autoStart;
  const seqcheck::Result result = seqcheck::Run(command, env, {RealFileSystem(), RealShell(), autoStart});
  if (!result.written && !command.quiet) {
    const std::wstring message = seqcheck::texts::kNotWritten + result.reportPath;
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
