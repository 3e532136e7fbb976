// The wizard's window: a white title band, five pages in a page host, and
// the Back / Next (Finish) / Cancel buttons. The page flow's decisions come
// from wizard::PageFlow; generation and the finishing steps from the core.
//
// Create() builds the window and enters page 0; the message loop is separate
// (RunMessageLoop), so tests can create the window and drive it through its
// controls (control_ids.h). The program ends by destroying the window,
// after which onEnded runs (the program posts its quit message there).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/messages.h"
#include "common/registry.h"
#include "common/seams.h"
#include "common/shortcut.h"
#include "autostart/startup_entries.h"
#include "common/win32/controls.h"
#include "common/win32/raii.h"
#include "common/win32/window.h"
#include "wizard/win32/control_ids.h"
#include "wizard/win32/dialogs.h"
#include "wizard/win32/info_page.h"
#include "wizard/page_flow.h"

namespace wizard {

struct WizardServices {
  ui::Messages& messages;
  PathDialogs& dialogs;
  FileSystem& files;
  ShortcutStore& shortcuts;
  Shell& shell;
  sequence::Clock& clock;
  Processes& processes;                             // starts the sequence check
  reg::Registry& registry;                          // switches the taken entries off
  std::function<std::wstring()> userStartupFolder;  // the current user's Startup folder
  std::wstring ownFolder;                           // the folder of the wizard's executable
  std::wstring caption;                             // "TVLpreparer Ver.1.1.0"
  std::function<void()> onEnded;                    // after the window is gone
  bool infoBrowser = true;                          // try the web browser control on page 3
  // Taking over the start-up entries. The folder page shows its two choices
  // only where the system keeps start-up approval data and both below are
  // given; otherwise the wizard reads the folder alone.
  bool approvalData = false;
  std::function<std::vector<autostart::Entry>()> listStartupEntries{};
  std::function<void(autostart::Entry&)> resolveEntry{};  // autostart::Resolve
  std::wstring commonStartupFolder{};                     // the all-users Startup folder
  std::wstring recordFile{};  // the record of what was switched off
};

class WizardWindow final : public win::Window<WizardWindow> {
 public:
  explicit WizardWindow(WizardServices services);
  ~WizardWindow();
  WizardWindow(const WizardWindow&) = delete;
  WizardWindow& operator=(const WizardWindow&) = delete;

  // Creates the window (hidden when showCommand is SW_HIDE) and runs the
  // start-up steps: caption, page 0, the two path boxes. False when the
  // window cannot be created.
  bool Create(HINSTANCE instance, int showCommand);
  const PageFlow& flow() const { return flow_; }
  // A control of the window or of any page, by its id; null when missing.
  HWND FindControl(Control control) const;

  // Runs until the quit message; keyboard navigation (Tab, Enter = Next,
  // Escape = Cancel) through IsDialogMessage. Returns the quit code.
  static int RunMessageLoop(HWND window);

 private:
  friend win::Window<WizardWindow>;
  static constexpr wchar_t kClassName[] = L"TVLpreparerMain";
  static LRESULT CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK FolderBoxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void OnPaint();
  void OnCommand(int id, int code);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  void OnDestroy();
  void OnWindowGone();

  void LoadDefaults();
  void OnBack();
  void OnNext();
  void OnCancel();
  void OnBrowseFolder();
  void OnBrowseFile();
  void TrimFolderBox();
  bool TakeOverOffered() const;
  // The machine's approval keys open for writing (an administrator).
  bool MachineApprovalWritable() const;
  bool FolderIsUserStartup() const;
  void UpdateSwitchOffChoice();
  void Apply(const Step& step);
  void ShowWizardPage(int page);
  bool GenerateSequenceFile();
  void RunFinishingSteps();
  void End();

  void CreateControls();
  // The frame's: the face of the user's language, the logo's side, the info page after a layout.
  win::Typeface TextFace() const;
  static constexpr int kLogoSide = 48;
  void OnLayout(int width, int height);
  std::wstring Text(Control control) const;
  void SetText(Control control, const std::wstring& text);

  WizardServices s_;
  PageFlow flow_;
  HWND pages_[PageFlow::kPageCount] = {};
  win::GdiObject white_;
  InfoPage info_;
  bool ended_ = false;
  // Decided at generation, carried out at Finish.
  bool switchOff_ = false;
  std::vector<reg::Address> taken_;
  int alreadyListed_ = 0;  // taken, but already items of the file
};

}  // namespace wizard
