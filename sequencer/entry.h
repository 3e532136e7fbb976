// Tarvoline's entry: the sequence path from the command line, the settings
// file beside the program, and the list of start-up items read from the
// sequence file (sequence/sequence_file.h). Everything here is portable; the
// window is reached through EntryUi, the message box through ui::Messages. What is read is handed on as
// values, so that a run (or a test) never sees what an earlier one read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/messages.h"
#include "common/seams.h"
#include "sequence/guard.h"
#include "sequence/sequence_file.h"
#include "sequencer/start_report.h"

namespace sequencer {

// The program's title: caption of its messages.
inline constexpr wchar_t kProgramTitle[] = L"Tarvoline";

// The argument text of a whole command line (as GetCommandLineW gives it):
// the text after the program name and the blanks that follow it.
std::wstring ArgumentText(std::wstring_view commandLine);

// What Main hands to the window: the items, the settings and the run's start
// report (open unless Report = 0 or there is no clock), which the engine
// writes to.
struct Run {
  sequence::Sequence sequence;
  sequence::Settings settings;
  report::StartReport report;
};

// What Main needs from the user interface.
class EntryUi {
 public:
  virtual ~EntryUi() = default;
  // Creates the main window over run and shows it without modality; false
  // when it could not be created. The window keeps run for as long as it lives.
  virtual bool ShowMainWindow(Run run) = 0;
  // The clocks of the start report; null: no report.
  virtual report::Clock* ReportClock() { return nullptr; }
  // Runs the guard (sequence/guard.h) over the system's record and entries;
  // switchOff false only reports.
  virtual std::vector<sequence::guard::Finding> RunGuard(const std::vector<sequence::SequenceItem>& items,
                                                         bool switchOff) {
    return {};
  }
};

enum class MainOutcome {
  NoItems,       // nothing to start: the program ends at once
  WindowShown,   // the window runs the sequence
  WindowFailed,  // the window could not be created: the program ends
};

// The entry steps. argumentText is the raw argument text; programPath the
// full path of the running program (its folder holds Startup.pmw, the
// settings file, named after the program with ".ini", and the start report,
// named after it with ".log"). A sequence file named but not found is told
// through messages.
MainOutcome Main(std::wstring_view argumentText, const std::wstring& programPath, EntryUi& entry,
                 ui::Messages& messages, FileSystem& fs, const NumberSeparators& locale);

}  // namespace sequencer
