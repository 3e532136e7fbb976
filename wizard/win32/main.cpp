// TVLpreparer: the set-up wizard's entry.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include "common/path_rules.h"
#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/seams.h"
#include "common/shortcut.h"
#include "common/win32/special_folders.h"
#include "common/win32/message_boxes.h"
#include "common/win32/program_info.h"
#include "common/registry.h"
#include "autostart/switched_off_record.h"
#include "common/text.h"
#include "common/win32/raii.h"
#include "autostart/win32/startup_entries_win32.h"
#include "wizard/win32/dialogs.h"
#include "wizard/win32/wizard_window.h"
#include "wizard/switch_off.h"
#include "wizard/texts.h"

namespace {

// %LOCALAPPDATA%\Tarvoline\SwitchedOff.txt; "" when that folder is unknown.
std::wstring RecordFile() {
  std::wstring local = win::SpecialFolder(CSIDL_LOCAL_APPDATA);
  if (local.empty()) return L"";
  std::wstring folder = paths::Join(local, autostart::kFolderName);
  return paths::Join(folder, autostart::kRecordName);
}

bool AskedToRestore() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return false;
  bool restore = false;
  for (int i = 1; i < argc; ++i) restore = restore || text::EqualsNoCase(argv[i], wizard::texts::kRestoreSwitch);
  LocalFree(argv);
  return restore;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The shell's dialogs and shortcut object need OLE on this thread.
  win::OleInit ole(SUCCEEDED(OleInitialize(nullptr)));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  win::MessageBoxes messages(wizard::texts::kProgramTitle);
  const std::wstring recordFile = RecordFile();
  if (AskedToRestore()) {
    // No wizard: switch back on what an earlier Finish switched off.
    wizard::switchoff::RestoreResult r = wizard::switchoff::Restore(recordFile, reg::RealRegistry(), RealFileSystem());
    const bool clean = !r.recordUnreadable && !r.recordBusy && !r.recordNotWritten && r.kept == 0;
    messages.Show(wizard::switchoff::RestoreMessage(r, recordFile),
                  clean ? ui::MessageIcon::Information : ui::MessageIcon::Warning);
    return clean ? 0 : 1;
  }

  wizard::WizardServices services{.messages = messages,
                                   .dialogs = wizard::RealPathDialogs(),
                                   .files = RealFileSystem(),
                                   .shortcuts = RealShortcutStore(),
                                   .shell = RealShell(),
                                   .clock = sequence::RealClock(),
                                   .processes = RealProcesses(),
                                   .registry = reg::RealRegistry(),
                                   .userStartupFolder = [] { return win::UserStartupFolder(); },
                                   .ownFolder = win::ProgramFolder(),
                                   .caption = win::VersionCaption(wizard::texts::kProgramTitle),
                                   .onEnded = [] { PostQuitMessage(0); },
                                   .approvalData = autostart::HasApprovalData(),
                                   .listStartupEntries = [] { return autostart::ListEntries(); },
                                   .resolveEntry = [](autostart::Entry& e) { autostart::Resolve(e); },
                                   .commonStartupFolder = win::SpecialFolder(CSIDL_COMMON_STARTUP),
                                   .recordFile = recordFile};

  wizard::WizardWindow window(std::move(services));
  if (!window.Create(instance, showCommand)) return 1;
  messages.SetOwner(window.hwnd());
  return wizard::WizardWindow::RunMessageLoop(window.hwnd());
}
