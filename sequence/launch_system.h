// What a launch engine asks of the system when it starts an item: the
// change into the item's working folder, the start itself with the started
// process's id and a watch on it (has it finished starting?), the system's
// error text when a start fails, the processes already running from a
// program's path, and whether the PC can reach the internet.
#pragma once

#include <cstdint>
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
};

struct LaunchResult {
  bool ok = false;
  std::uint32_t processId = 0;          // 0 when unknown
  std::wstring error;                   // the system's text when not ok
  std::unique_ptr<ProcessWatch> watch;  // null: nothing to wait for
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
  virtual LaunchResult StartProgram(const std::wstring& commandLine, int showState) = 0;
  // tool::ShellOpen of target; ok when the shell opened it, watch the process
  // the shell handed back (if any). When the shell was asked and failed
  // (no associated program, access denied, not found), error is its reason;
  // a document that is not there is never handed over and gives no error.
  virtual LaunchResult Open(WindowHandle owner, const std::wstring& target) = 0;
  // Ids of the processes of this user that run the program at path (full
  // paths compared without regard to case).
  virtual std::vector<std::uint32_t> RunningFrom(const std::wstring& path) = 0;
  // Whether a connection has internet access (IPv4 or IPv6), asked anew on
  // every call; nullopt when the system cannot be asked. A system without
  // the question answers nullopt, and an item then never waits for it.
  virtual std::optional<bool> InternetConnected() { return std::nullopt; }

  // Highest show state a window takes (SW_MAX); other Size values fail the start.
  static constexpr int kMaxShowState = 11;
};

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
ItemStart StartSequenceItem(LaunchSystem& system, WindowHandle owner, const sequence::SequenceItem& item);

namespace pe {
// The subsystem field of an executable's optional header (2 = Windows GUI,
// 3 = console), read from the file's first bytes; nullopt when they hold no
// complete header of a portable executable.
std::optional<std::uint16_t> Subsystem(std::string_view head);
constexpr std::uint16_t kWindowsGui = 2;
// How many first bytes Subsystem needs at most to find the field.
constexpr std::size_t kHeadBytes = 4096;
}  // namespace pe
