// Tarvoline's only window: a small topmost window with the header band, the
// progress of the starts, the processor bar with the CPULimit mark and the
// list of items. Its timer drives the launch engine; closing it ends the run.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/controls.h"
#include "common/win32/raii.h"
#include "common/win32/window.h"
#include "sequencer/launch_engine.h"
#include "sequencer/main_layout.h"
#include "sequencer/timeline_recorder.h"
#include "sequence/sequence_file.h"
#include "sequence/win32/launch_system_win32.h"

namespace sequencer {

struct MainWindowArgs {
  // The items to list and start; must outlive the window.
  const std::vector<sequence::SequenceItem>& items;
  LaunchSettings settings = {};
  double timerInterval = sequence::kDefaultTimerInterval;
  // Makes the meter when the window loads (a SystemTimesMeter by default).
  std::function<std::unique_ptr<CpuMeter>()> createMeter = {};
  // Called after the last item; ends the process at once by default.
  std::function<void()> endProgram = {};
  // Ends the thread's message loop when the window is closed.
  bool quitOnClose = true;
  // What the engine starts through; must outlive the window.
  LaunchSystem& launcher = RealLaunchSystem();
  // Where the run is reported; null: no report.
  report::StartReport* report = nullptr;
  // Where its timeline is recorded; null: none. Must outlive the window.
  TimelineRecorder* timeline = nullptr;
};

enum class Control { TitleLabel, StatusLabel, ProgressBar, CpuBar, ItemList, LimitMark };

class MainWindow final : public win::Window<MainWindow>, private LaunchView {
 public:
  explicit MainWindow(MainWindowArgs args);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, loads the items, starts the timer and shows it with
  // showCommand. False when the window could not be created.
  bool Create(int showCommand);

  // The timer's tick (also called directly by tests).
  void OnTick();

  HWND itemList() const { return itemList_; }
  HWND progressBar() const { return progressBar_; }
  HWND cpuBar() const { return cpuBar_; }
  HWND limitMark() const { return limitMark_; }
  HWND statusLabel() const { return statusLabel_; }
  // Items handled so far.
  int HandledCount() const { return engine_.CurrentIndex(); }
  int TimerIntervalMs() const { return timerMs_; }

 private:
  friend win::Window<MainWindow>;
  static constexpr wchar_t kClassName[] = L"TarvolineMain";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  void OnCreate();
  void OnLoad();
  void OnDestroy();
  void OnPaint();
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  LRESULT OnNotify(NMHDR* header);

  // The frame's: the face, the logo's side, the images per DPI, the mark and the column after a layout.
  win::Typeface TextFace() const;
  static constexpr int kLogoSide = 32;
  void MakeDpiResources();
  void OnLayout(int width, int height);

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

  MainWindowArgs args_;
  HWND titleLabel_ = nullptr, statusLabel_ = nullptr, progressBar_ = nullptr, cpuBar_ = nullptr,
       limitMark_ = nullptr, itemList_ = nullptr;
  int timerMs_ = static_cast<int>(sequence::kDefaultTimerInterval);
  bool timerOn_ = false;
  bool inTick_ = false;
  bool ownCheckChange_ = false;
  win::GdiObject markBrush_;
  win::ImageList images_;
  // The check boxes' state images: the list makes them, but with shared
  // image lists it leaves their release to the owner.
  win::ImageList stateImages_;
  std::unique_ptr<CpuMeter> meter_;
  LaunchEngine engine_;
};

}  // namespace sequencer
