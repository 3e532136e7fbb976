#include "sequence/win32/guard_win32.h"

#include <windows.h>
#include <shlobj.h>

#include "common/path_rules.h"
#include "autostart/switched_off_record.h"
#include "common/win32/file_time.h"
#include "common/win32/program_info.h"
#include "common/win32/special_folders.h"
#include "autostart/win32/startup_entries_win32.h"

namespace sequence::guard {

std::vector<Finding> RunOnSystem(const std::vector<SequenceItem>& items, bool switchOff, bool remember) {
  Places places;
  const std::wstring local = win::SpecialFolder(CSIDL_LOCAL_APPDATA);
  if (local.empty()) return {};
  const std::wstring folder = paths::Join(local, autostart::kFolderName);
  places.recordFile = paths::Join(folder, autostart::kRecordName);
  places.seenFile = paths::Join(folder, autostart::kSeenName);
  places.ownProgram = win::ProgramPath();
  Options options{switchOff, remember, win::FileTimeNow()};
  return Run(places,
             {reg::RealRegistry(), RealFileSystem(), [] { return autostart::ListEntries(false); },
              [](autostart::Entry& e) { autostart::Resolve(e); }},
             items, options);
}

}  // namespace sequence::guard
