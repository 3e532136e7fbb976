// A run's timeline: what Tarvoline saw and did at one log-on, item by item,
// kept in a file beside the start report so that the editor can draw it.
// The model, and the file's text: UTF-8, one line per fact, one block per
// run (README.md, "The log-on timeline"). Times are whole milliseconds from
// the run's start. Portable: the recorder and the reader bring the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace timeline {

// The file's name is the program's stem with this, beside its start report
// ("Tarvoline.timeline.txt").
inline constexpr wchar_t kFileSuffix[] = L".timeline.txt";
// The block header's number; a block with another one is a format this
// reader does not know.
constexpr int kFormatVersion = 1;
// Runs a file keeps: the newest.
constexpr std::size_t kKeptRuns = 20;
// A run's block is kept to about this size by thinning its usage samples;
// its items are all kept whatever their size.
constexpr std::size_t kRunBytes = 64 * 1024;
// What a reader should read of the file at most; the rest is not looked at.
constexpr std::size_t kMostFileBytes = 8 * 1024 * 1024;

// The local date and time, as the start report's clock gives it.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  bool operator==(const LocalTime&) const = default;
};

// Which processor usage the run paced the starts by.
enum class Pacing {
  Settle,   // the previous program's own: it has settled
  Classic,  // the whole machine's
};

struct Settings {
  double cpuLimit = 0, maxIdleTime = 0, intervalTime = 0, timerInterval = 0;
  bool readyWait = false, skipRunning = true;
  Pacing pacing = Pacing::Settle;
  bool operator==(const Settings&) const = default;
};

// The machine's processor usage at one moment.
struct Sample {
  std::int64_t ms = 0;
  double percent = 0;
  bool operator==(const Sample&) const = default;
};

// What held the next item back for a while.
enum class HoldKind {
  Interval,  // the shortest time between two starts
  Usage,     // the machine's usage above the limit
  Delay,     // the item's own Delay
  Network,   // waiting for internet access
  Ready,     // the previous program not ready for input yet
  Settle,    // the previous program still busy
};

struct Hold {
  HoldKind kind = HoldKind::Interval;
  std::int64_t fromMs = 0, toMs = 0;
  bool operator==(const Hold&) const = default;
};

// Why the item went when it did.
enum class Reason {
  IntervalAndLimit,  // the interval had passed and the usage was at or below the limit
  Settled,           // the previous program had settled
  MaxWait,           // the longest wait was reached
  Ready,             // the previous program was ready
  AfterRunning,      // the item before it was already running: no wait
  AlreadyRunning,    // its program was already running
  NoMeter,           // no processor meter: nothing to decide by
};

enum class Result {
  Started,         // a new process (processId)
  AlreadyRunning,  // not started again; processId is the one running
  Opened,          // handed to the shell
  NotOpened,       // a document that is not there
  Failed,          // error says why
};

// A started program that ended within the impact window.
struct EarlyEnd {
  std::int64_t atMs = 0;
  std::uint32_t exitCode = 0;
  bool operator==(const EarlyEnd&) const = default;
};

// A started program's weight at log-on: the processor time it and its
// children used in their first kImpactWindowMs.
constexpr std::int64_t kImpactWindowMs = 10000;
constexpr std::int64_t kLowImpactBelowMs = 300;    // under this: low
constexpr std::int64_t kHighImpactAboveMs = 1000;  // over this: high; between, both included: medium
enum class ImpactClass { Low, Medium, High };
ImpactClass ClassOf(std::int64_t impactMs);

struct Item {
  int position = 0;  // 1 for the first item
  std::wstring title, file;
  std::int64_t nextMs = 0;  // it became the next item
  std::vector<Hold> holds;  // in time order, within nextMs..wentMs
  std::int64_t wentMs = 0;
  Reason reason = Reason::IntervalAndLimit;
  Result result = Result::Started;
  std::uint32_t processId = 0;  // 0: none
  std::wstring error;           // the system's text of a failure
  std::optional<std::int64_t> readyMs;
  std::optional<std::int64_t> impactMs;  // unknown when not measured
  std::optional<EarlyEnd> ended;
  bool operator==(const Item&) const = default;
};

struct Run {
  LocalTime began;
  std::int64_t sinceBootMs = 0;                // the system had been up this long at the start
  std::optional<std::int64_t> sinceShellMs;    // and the user's shell this long, where known
  Settings settings;
  std::vector<Sample> usage;  // in time order
  std::vector<Item> items;    // in the order handled
  std::int64_t lengthMs = 0;
  int itemsLeft = 0;  // 0: every item handled; otherwise the user closed the window with these left
  bool operator==(const Run&) const = default;
};

// The run's block: its lines, UTF-8 with CR LF ends. When it would pass
// kRunBytes, every other usage sample is dropped (the first kept) until it
// fits or one is left.
std::string Serialize(const Run& run);

// Why a stretch of the file was not read.
enum class Skip {
  NotARun,       // lines outside any run's block
  OtherVersion,  // a block of another format version
  Damaged,       // a line that cannot be read, or a fact missing
  CutShort,      // a block without its end line
};
struct Skipped {
  std::size_t line = 0;  // 1-based: the offending line, or where the block begins
  Skip why = Skip::Damaged;
};

struct ReadResult {
  std::vector<Run> runs;  // oldest first, as in the file
  std::vector<Skipped> skipped;
};

// The runs of a file's bytes (a byte-order mark, CR LF or LF ends taken).
// Never fails: what cannot be read is skipped and named, the rest read.
// Memory stays in proportion to the bytes given.
ReadResult Read(std::string_view bytes);

// A line for the user about one skipped stretch, in the user's language.
std::wstring SkippedText(const Skipped& skipped);

// The file's next bytes: a byte-order mark, the newest kKeptRuns - 1 blocks
// of existing as they stand (whatever they hold), then run's. The caller
// replaces the file with them whole.
std::string Append(std::string_view existing, const Run& run);

}  // namespace timeline
