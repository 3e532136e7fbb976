// The sequence check: "Tarvoline.exe /check [sequence file] [/quiet]". It
// starts nothing and shows no window: it reads the sequence and the settings
// as a start would (the settings file is never written), writes what it
// found to a report beside the program (its name with ".check.txt"), opens
// the report with the shell unless /quiet was given, and ends with 0 when
// nothing was found, 1 when something was, 2 when the sequence file could not
// be read, 3 when the report could not be written (whatever was found, since
// nobody can read it). Findings and report text are made here; the Win32 side supplies
// the file system, the shell, the time, where programs are searched for and
// the programs that start by themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/seams.h"
#include "sequence/sequence_file.h"

namespace sequence::check {

// Programs that start by themselves at log-on: the enabled entries (not
// switched off in the start-up approval data) of the user's and the
// all-users Startup folder and of the Run keys.
class AutoStartPrograms {
 public:
  virtual ~AutoStartPrograms() = default;
  // Full paths of those programs; compared with an item's File without
  // regard to letter case.
  virtual std::vector<std::wstring> EnabledProgramPaths() = 0;
  // The enabled entries that came after the wizard's take-over, neither in
  // items nor switched off by it (sequence/guard.h), as "name (program)".
  virtual std::vector<std::wstring> NewEntries(const std::vector<SequenceItem>& items) { return {}; }
};

// The check command as given after the program name.
struct Command {
  std::wstring sequencePath;  // as typed, without enclosing quotes; "" for the default file
  bool quiet = false;         // write the report without opening it
};

// The check command in argumentText ("/check" in any letter case, as the
// first word; "/quiet" before or after the path), or nothing when the
// arguments ask for a normal start.
std::optional<Command> ParseCommand(std::wstring_view argumentText);

enum ExitCode { kNoFinding = 0, kFindings = 1, kSequenceUnreadable = 2, kReportNotWritten = 3 };

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// What the system tells the check.
struct Environment {
  std::wstring programPath;  // the running program; the report and the defaults lie beside it
  // Where a program named without a folder is looked for after the
  // program's own folder and the item's Current folder: the system folder,
  // the Windows folder, the folders of PATH.
  std::vector<std::wstring> searchFolders;
  LocalTime now;
  // How the user's locale writes numbers, as a start reads the settings.
  NumberSeparators numbers;
};

struct Seams {
  FileSystem& files;
  Shell& shell;
  AutoStartPrograms& autoStart;
};

struct Result {
  int exitCode = kNoFinding;
  std::wstring reportPath;
  bool written = false;  // false: the report could not be written (nothing was opened)
};

// The check of single items, for a caller that checks them one at a time
// (the editor checks the rows it shows).
class ItemCheck {
 public:
  // autoStart: AutoStartPrograms::EnabledProgramPaths(), asked once.
  ItemCheck(Environment env, FileSystem& files, std::vector<std::wstring> autoStart);
  // The findings of item in the report's words, none when nothing was found;
  // earlierTwin: the position Twins gives it.
  std::vector<std::wstring> Findings(const SequenceItem& item, size_t earlierTwin) const;

 private:
  Environment env_;
  std::wstring programFolder_;
  FileSystem& files_;
  std::vector<std::wstring> autoStart_;
};

// For each item the 1-based position of the first item before it that starts
// the same (File in any letter case, Option as written), else 0.
std::vector<size_t> Twins(const std::vector<SequenceItem>& items);

// A number whose thousands separators do not stand between groups of three
// digits ("3,5" or "15,00" under an English locale): a start reads it with
// the separators dropped (35, 1500), most likely not what was meant. The
// check reports it; the editor's settings page refuses it.
bool ThousandsMisplaced(std::wstring_view text, const NumberSeparators& numbers);

// Runs the check and writes (and unless quiet, opens) the report.
Result Run(const Command& command, const Environment& env, Seams seams);
}  // namespace sequence::check
