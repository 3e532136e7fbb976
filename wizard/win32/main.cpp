// TVLpreparer: the set-up wizard's entry.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "common/fileio.h"
#include "common/itemtext.h"
#include "common/seams.h"
#include "common/shortcut.h"
#include "common/win32/cls_system_folder.h"
#include "common/win32/program_info.h"
#include "common/win32/raii.h"
#include "dialogs.h"
#include "frm_main.h"
#include "texts.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The shell's dialogs and shortcut object need OLE on this thread.
  win::OleInit ole(SUCCEEDED(OleInitialize(nullptr)));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  wizard::MessageBoxes messages;
  wizard::FrmMainServices services;
  services.messages = &messages;
  services.dialogs = &wizard::RealPathDialogs();
  services.files = &RealFileSystem();
  services.shortcuts = &RealShortcutStore();
  services.shell = &RealShell();
  services.processes = &RealProcesses();
  services.clock = &itemtext::RealClock();
  services.userStartupFolder = [] { return clsSystemFolder().Startup(); };
  services.ownFolder = program::Folder();
  services.caption = program::VersionCaption(wizard::texts::kProgramTitle);
  services.onEnded = [] { PostQuitMessage(0); };

  wizard::FrmMain form(std::move(services));
  if (!form.Create(instance, showCommand)) return 1;
  messages.SetOwner(form.hwnd());
  return wizard::FrmMain::RunMessageLoop(form.hwnd());
}
