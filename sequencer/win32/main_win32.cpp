// Tarvoline's entry: the portable entry steps with the real message box and
// window, then the message loop while the window runs the sequence.
#include <windows.h>

#include <memory>

#include "common/win32/program_info.h"
#include "sequencer/startup.h"
#include "sequencer/win32/frm_main.h"
#include "sequencer/win32/launch_system_win32.h"

namespace {

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
  WindowsEntryUi ui(showCommand);
  const Startup::MainOutcome outcome =
      Startup::Main(Startup::ArgumentText(::GetCommandLineW()), program::Path(), ui);
  if (outcome != Startup::MainOutcome::WindowShown) return 0;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
