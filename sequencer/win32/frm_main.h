// Tarvoline's only window: a small topmost window with the header band, the
// progress of the starts, the processor bar with the CPULimit mark and the
// list of items. Its timer drives the launch engine; closing it ends the run.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/raii.h"
#include "common/win32/window.h"
#include "sequencer/launch_engine.h"
#include "sequencer/main_layout.h"
#include "sequence/sequence_file.h"
#include "sequence/win32/launch_system_win32.h"

struct FrmMainArgs {
  // The items to list and start; must outlive the window.
  const std::vector<sequence::SequenceItem>& items;
  LaunchSettings settings = {};
  double timerInterval = sequence::kDefaultTimerInterval;
  // Puts the meter into its argument (Pdh9XNT::CreateCpuMeter by default).
  std::function<void(std::unique_ptr<CpuMeter>&)> createMeter = {};
  // Called after the last item; ends the process at once by default.
  std::function<void()> endProgram = {};
  // Ends the thread's message loop when the window is closed.
  bool quitOnClose = true;
  // What the engine starts through; must outlive the window.
  LaunchSystem& launcher = RealLaunchSystem();
  // Where the run is reported; null: no report.
  report::StartReport* report = nullptr;
};

class frmMain final : public win::Window<frmMain>, private LaunchView {
 public:
  explicit frmMain(FrmMainArgs args);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Creates the window, runs Form_Load and shows it with showCommand.
  // False when the window could not be created.
  bool Create(int showCommand);

  // The timer's tick (also called directly by tests).
  void tmrTimer_Timer();

  HWND lvApp() const { return lvApp_; }
  HWND pbProgress() const { return pbProgress_; }
  HWND pbCPU() const { return pbCPU_; }
  HWND lineBar() const { return lineBar_; }
  HWND titleLabel() const { return titleLabel_; }
  HWND statusLabel() const { return statusLabel_; }
  int TimerIntervalMs() const { return timerMs_; }
  bool HasMeter() const { return meter_ != nullptr; }
  const LaunchEngine& Engine() const { return engine_; }
  // The font face the labels use.
  const std::wstring& FaceName() const { return face_; }

 private:
  friend win::Window<frmMain>;
  static constexpr wchar_t kClassName[] = L"TarvolineMain";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  void OnCreate();
  void Form_Load();
  void Form_Resize(WPARAM kind, int width, int height);
  void Form_Unload();
  void OnPaint();
  void OnDpiChanged(UINT dpi, const RECT* suggested);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  LRESULT OnNotify(NMHDR* header);

  void MakeDpiResources();
  void ApplyLayout();
  int Scale(int px96) const { return ::MulDiv(px96, dpi_, 96); }

  // LaunchView.
  void ShowCpuLoad(double percent) override;
  void SetCaption(const std::wstring& caption) override;
  void MarkStarted(int row) override;
  void SetItemIcon(int row, int icon) override;
  void SetProgress(int value) override;
  void RepaintNow() override;
  WindowHandle Owner() override { return hwnd_; }
  void StopTimer() override;
  void EndProgram() override;

  FrmMainArgs args_;
  HWND titleLabel_ = nullptr, statusLabel_ = nullptr, pbProgress_ = nullptr, pbCPU_ = nullptr, lineBar_ = nullptr,
       lvApp_ = nullptr;
  int dpi_ = 96;
  int timerMs_ = static_cast<int>(sequence::kDefaultTimerInterval);
  bool timerOn_ = false;
  bool inTick_ = false;
  bool ownCheckChange_ = false;
  layout::MainLayout layout_;
  std::wstring face_;
  win::GdiObject titleFont_, textFont_, lineBrush_;
  win::ImageList images_;
  // The check boxes' state images: the list makes them, but with shared
  // image lists it leaves their release to the owner.
  win::ImageList stateImages_;
  win::Icon icon_;
  std::unique_ptr<CpuMeter> meter_;
  LaunchEngine engine_;
};
