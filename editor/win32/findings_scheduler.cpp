#include "editor/win32/findings_scheduler.h"

#include "common/path_rules.h"
#include "common/win32/program_info.h"
#include "autostart/win32/startup_entries_win32.h"

namespace editor {
namespace {

// Time the check may take per tick, in ms.
constexpr DWORD kSliceMs = 30;

}  // namespace

const sequence::check::ItemCheck& FindingsScheduler::Check() {
  if (!check_) {
    // Tarvoline lies beside the editor: a File named without a full path is
    // looked for from there, as a run would.
    sequence::check::Environment env{paths::Join(win::ProgramFolder(), L"Tarvoline.exe"), autostart::SearchFolders(), {}, {}};
    check_.emplace(std::move(env), files_, autostart::EnabledProgramPaths());
  }
  return *check_;
}

void FindingsScheduler::Restart(HWND window, bool askSystem) {
  if (askSystem) check_.reset();
  rows_.Forget();
  SetTimer(window, kTimer, 10, nullptr);
}

bool FindingsScheduler::OnTimer(HWND window) {
  const DWORD start = GetTickCount();
  if (!rows_.CheckMore(Check(), [start] { return GetTickCount() - start < kSliceMs; })) return false;
  Stop(window);
  return true;
}

}  // namespace editor
