// What a launch engine asks of the system when it starts an item: the
// change into the item's working folder, the start itself with the started
// process's id and a watch on it (has it finished starting?), the system's
// error text when a start fails, the running processes and what can be read
// of them, whether the PC can reach the internet, and a steady clock. Below
// it, the already-running rule (running::), portable.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/seams.h"
#include "sequence/sequence_file.h"

// A process the engine may wait for before the next start.
class ProcessWatch {
 public:
  virtual ~ProcessWatch() = default;
  // A poll that never blocks: true once the program has finished starting
  // (it waits for input), has ended, or cannot be asked any more.
  virtual bool IsReady() = 0;
  // False for a program without windows, which never waits for input: it
  // is ready at once.
  virtual bool HasWindows() const { return true; }
  // Its exit code once it has ended; nullopt while it runs or when it
  // cannot be asked.
  virtual std::optional<std::uint32_t> ExitCode() { return std::nullopt; }
  // The processor time it used (kernel and user, 100-ns units), as the
  // process itself tells it; nullopt when it cannot be asked. (Under Wine 8
  // another process's own times read 0: the system's list has them.)
  virtual std::optional<std::uint64_t> CpuTime() { return std::nullopt; }
};

struct LaunchResult {
  bool ok = false;
  std::uint32_t processId = 0;          // 0 when unknown
  std::uint64_t created = 0;            // its creation time as CreatedAt gives it; 0 when unknown
  std::wstring error;                   // the system's text when not ok
  std::unique_ptr<ProcessWatch> watch;  // null: no process to watch
};

class LaunchSystem {
 public:
  virtual ~LaunchSystem() = default;
  // Makes folder (an item's Current) the process's current directory when it
  // names a folder that is there; an empty or missing one changes nothing.
  // Never restored: later items without a usable Current start there too.
  // False only when the folder is there but cannot be entered.
  virtual bool EnterFolder(const std::wstring& folder) = 0;
  // Starts a new process from commandLine with showState, not waited for.
  // watch: the caller may wait for it to finish starting; without it no
  // watch is made (nor the program's file read to see whether it has windows).
  virtual LaunchResult StartProgram(const std::wstring& commandLine, int showState, bool watch) = 0;
  // ShellOpen of target; ok when the shell opened it, watch (when
  // asked for) the process the shell handed back, if any. When the shell was
  // asked and failed (no associated program, access denied, not found),
  // error is its reason; a document that is not there is never handed over
  // and gives no error.
  virtual LaunchResult Open(WindowHandle owner, const std::wstring& target, bool watch) = 0;

  // The already-running test's and the settling questions; a system that
  // cannot answer them finds nothing running and nothing to wait for.
  struct ProcessEntry {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;  // its creator's id, which may have ended (and the id gone to another) since
    std::wstring imageName;      // its program's file name
    std::uint64_t created = 0;   // as CreatedAt gives it; 0 when unknown
    std::optional<std::uint64_t> cpuTime;  // processor time used (kernel and user), 100-ns units
  };
  // What is read of one process, in this order; the reading stops at a
  // user or session other than this program's, or at a program that cannot
  // be read, and leaves the rest empty.
  struct ProcessFacts {
    std::uint64_t created = 0;  // 0 when unknown
    bool sameUser = false;
    bool sameSession = false;
    std::wstring program;       // its program's final path, seen as ProgramPath sees files; empty when unknown
    std::optional<std::wstring> commandLine;
  };
  // One snapshot of the running processes, this program left out; nullopt
  // when none can be taken.
  virtual std::optional<std::vector<ProcessEntry>> Snapshot() { return std::nullopt; }
  // Opens process id and reads its facts; nullopt when it cannot be opened
  // or has ended (a handle someone holds keeps an ended process openable).
  virtual std::optional<ProcessFacts> Inspect(std::uint32_t) { return std::nullopt; }
  // When process id was created (any unit that orders creations); nullopt
  // when it cannot be asked.
  virtual std::optional<std::uint64_t> CreatedAt(std::uint32_t) { return std::nullopt; }
  // The final path (links, short names and drive aliases resolved) of the
  // program a start of file runs, found as StartProgram finds it (in the
  // same file-system view), a relative file looked for in folder (the
  // item's Current) first; empty when it is not found.
  virtual std::wstring ProgramPath(const std::wstring& /*file*/, const std::wstring& /*folder*/) { return L""; }
  // Whether a connection has internet access (IPv4 or IPv6), asked anew on
  // every call; nullopt when the system cannot be asked. A system without
  // the question answers nullopt, and an item then never waits for it.
  virtual std::optional<bool> InternetConnected() { return std::nullopt; }
  // A count of milliseconds that never goes back and does not stretch when
  // the program is held up; nullopt when the system has none.
  virtual std::optional<std::int64_t> SteadyMs() { return std::nullopt; }

  // Highest show state a window takes (SW_MAX); other Size values fail the start.
  static constexpr int kMaxShowState = 11;
};

namespace running {

// A process this run started (or had the shell start), with its creation time (0: unknown).
struct Started {
  std::uint32_t id = 0;
  std::uint64_t created = 0;
};

// What a process's command line passes to its program: the text after the
// program (a quoted path up to its closing quote; unquoted, the words up to
// the first blank after one that names imageName, with or without ".exe",
// else the first word, as a program's own argument split takes it), blanks
// at both ends removed.
std::wstring ArgumentsOf(std::wstring_view commandLine, std::wstring_view imageName);

// Whether process id, created at created, is one of started or descends from
// one of them through the snapshot's parents. A parent counts only when it
// was created before its child (an ended parent's id may since have gone to
// a newer process); a creation time createdAt cannot give does not break
// the chain.
bool StartedByRun(std::uint32_t id, std::uint64_t created, const std::vector<LaunchSystem::ProcessEntry>& snapshot,
                  const std::vector<Started>& started,
                  const std::function<std::optional<std::uint64_t>(std::uint32_t)>& createdAt);

// The running processes as the tests of one run see them: a list taken
// anew for each item tested, since the programs the test exists to catch
// are started by the system alongside the run and appear at any moment.
// Only a burst of items found running one after another (each follows the
// one before at once) shares a list, for kBurstMs of the system's steady
// clock; a list that could not be taken is never kept.
class ProcessList {
 public:
  static constexpr std::int64_t kBurstMs = 250;
  // The list for a test now; nullopt when the system could not take one.
  const std::optional<std::vector<LaunchSystem::ProcessEntry>>& At(LaunchSystem& system);
  // The item tested was not skipped: whatever it did, the next test lists anew.
  void EndBurst() { takenAt_.reset(); }

 private:
  std::optional<std::vector<LaunchSystem::ProcessEntry>> entries_;
  std::optional<std::int64_t> takenAt_;  // when entries_ may serve a test of the same burst
};

// The item already running: the id of a process of this user in this
// session that runs the same program (final paths compared) with the same
// arguments as option (blanks at both ends removed, then compared exactly),
// and that this run did not start, directly or through its children; 0 when
// there is none or something needed could not be read. A process opened
// since the list was taken must still be the one listed (the same creation
// time): an ended process's id may have gone to another. Only the processes
// whose image name matches file's are opened: when none runs, the test
// costs at most one list (processes.At(system)) and nothing else.
std::uint32_t FindRunning(LaunchSystem& system, ProcessList& processes, const std::wstring& file,
                          const std::wstring& folder, const std::wstring& option, const std::vector<Started>& started);

}  // namespace running

// Whether a run starts file as a program (".com", ".exe", ".bat", ".cmd",
// never an address, though many end in ".com") rather than through the shell.
bool IsProgramFile(const std::wstring& file);

// One item started as a run starts it: into its Current, then a program
// with "File" Option and Size, anything else opened by the shell.
struct ItemStart {
  enum Outcome {
    FolderNotEntered,  // Current is there but could not be entered
    EmptyFile,         // nothing to open: the shell would only show its own error box
    BadSize,           // a program with a Size no window takes
    Failed,            // the system refused: result.error holds its text
    Started,           // a program, result.processId its process
    Opened,            // the shell opened the document or address
    NotOpened,         // a document that is not there: never handed over
  } outcome = Failed;
  LaunchResult result;
};
// watch: keep what the start hands back for a wait until ready (ReadyWait).
ItemStart StartSequenceItem(LaunchSystem& system, WindowHandle owner, const sequence::SequenceItem& item,
                            bool watch = false);

namespace pe {
// The subsystem field of an executable's optional header (2 = Windows GUI,
// 3 = console), read from the file's first bytes; nullopt when they hold no
// complete header of a portable executable.
std::optional<std::uint16_t> Subsystem(std::string_view head);
constexpr std::uint16_t kWindowsGui = 2;
// How many first bytes Subsystem needs at most to find the field.
constexpr std::size_t kHeadBytes = 4096;
}  // namespace pe
