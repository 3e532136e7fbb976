// The start report: one line per event of a run (the run begins, each item
// is handled, the run ends), appended to a file beside the settings file so
// that the user can see afterwards what started, how long it waited and why
// something failed. The text of every line is made here; times come from a
// Clock and the file through the file seam, held open for appending from the
// first line of a run to its last (one open per run, each line written
// through at once). Writing it never holds up a start: a line that cannot be
// written is dropped silently.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/guard.h"

namespace report {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The system's clocks, as the report needs them.
class Clock {
 public:
  virtual ~Clock() = default;
  // The local date and time.
  virtual LocalTime Now() = 0;
  // A steady count of milliseconds, for the real time between two events.
  virtual std::int64_t Milliseconds() = 0;
};

// Why an item went on the tick it did.
enum class Reason {
  IntervalAndLimit,  // the interval had passed and the usage was at or below the limit
  MaxWait,           // the maximum wait was reached
  Ready,             // as IntervalAndLimit, and the previous program had finished starting
  Settled,           // the usage was above the limit, but the program started last had settled
  NothingStarting,   // the usage was above the limit, but no program of the run's was still starting
  AfterRunning,      // the item before it was already running: no wait
  AlreadyRunning,    // its program was already running: not started again
  NoMeter,           // there is no processor meter: no decision could be made
};

// How an item with a Network wait ended it.
enum class Network {
  None,      // the item has no Network wait
  Up,        // the PC had internet access
  WaitOver,  // the wait reached the item's Network bound
  NotAsked,  // the system cannot be asked: no wait
};

enum class Outcome {
  Started,         // a new process (processId)
  Opened,          // handed to the shell, which opened it
  NotOpened,       // a document that does not exist: the shell was not asked
  Failed,          // detail says why
  AlreadyRunning,  // not started; processId is the process already running
};

struct ItemEvent {
  int position = 0;  // 1 for the first item
  std::wstring title, file;
  double waitedMs = 0;          // counted: ticks × interval
  std::optional<double> usage;  // percent, when the meter was read
  Reason reason = Reason::IntervalAndLimit;
  // Per-item timing: timed when the item has a Delay or a Network wait; its
  // line then gives both waits (counted, within waitedMs).
  bool timed = false;
  double heldMs = 0;     // the item's Delay, when it was held for it
  double networkMs = 0;  // ticks × interval spent waiting for the network
  Network network = Network::None;
  Outcome outcome = Outcome::Started;
  std::uint32_t processId = 0;
  std::wstring detail;  // the system's error text or the reason of a failure
};

// A performance counter's count in milliseconds at the given ticks per
// second, without overflow however long the system has run (the count times
// 1000 passes 64 bits after about a month at several GHz). frequency > 0.
std::int64_t CounterMilliseconds(std::int64_t count, std::int64_t frequency);

// The settings in effect, as the run-begins line names them.
struct RunSettings {
  double cpuLimit = 0, maxIdleTime = 0, intervalTime = 0, timerInterval = 0;
  bool readyWait = false, skipRunning = true, settleWait = true;
};

// "2024-04-01 08:15:02.123".
std::wstring Stamp(const LocalTime& t);

// The text of each line, without the time stamp.
std::wstring RunBeginsText(const std::wstring& sequencePath, const RunSettings& s, int kept, int leftOut);
std::wstring ItemText(const ItemEvent& e, std::int64_t realMs);
// A guard finding's line; "" for one the report does not name (a new
// entry named at an earlier run).
std::wstring GuardText(const sequence::guard::Finding& f);
// notStarted 0: every item was handled; otherwise the user closed the window.
std::wstring RunEndsText(int handled, int notStarted, std::int64_t durationMs);

// A file passing this size at the start of a run is moved to "<name>.1".
constexpr std::size_t kRotateBytes = 256 * 1024;
// No line is appended past this size (the report and "<name>.1" both held,
// so that neither can be replaced): one last line says the report is full.
constexpr std::size_t kMostBytes = 4 * kRotateBytes;

class StartReport {
 public:
  // Off until Open: every call then does nothing.
  StartReport() = default;
  // Writes to path (created when missing), timed by clock; both must outlive the report.
  void Open(const std::wstring& path, FileSystem& fs, Clock& clock);

  // Moves a file past kRotateBytes aside first (or, when "<name>.1" cannot
  // be replaced, cuts it to the whole lines of its last kRotateBytes / 2),
  // then writes the first line. Only such a file is read. A file that could
  // be neither gets lines up to kMostBytes only.
  void RunBegins(const std::wstring& sequencePath, const RunSettings& s, int kept, int leftOut);
  // One line per finding of the guard, after the first line.
  void Guard(const std::vector<sequence::guard::Finding>& findings);
  // Real waiting time is counted from here (the timer was enabled).
  void TimerStarted();
  void ItemHandled(const ItemEvent& e);
  // Once per run: later calls write nothing. Lets go of the file.
  void RunEnds(int handled, int notStarted);

 private:
  // Moves the report aside, or cuts it, and begins it anew with line; false
  // when neither could be done.
  bool Rotate(const std::wstring& line);
  void Write(const std::wstring& lineText);

  std::wstring path_;
  FileSystem* fs_ = nullptr;
  Clock* clock_ = nullptr;
  std::unique_ptr<AppendFile> file_;  // held for the run, from its first written line
  bool needMark_ = false;  // the file is new or empty: the next write begins with the mark
  std::uint64_t size_ = 0;  // the file's size as this run has left it
  bool full_ = false;       // kMostBytes reached: said so, nothing more is written
  bool ended_ = false;
  std::int64_t begun_ = 0, since_ = 0;
};

}  // namespace report
