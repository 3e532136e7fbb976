// The sequence model: the items of a sequence file and the settings a run
// goes by (Tarvoline.ini), read the one way that Tarvoline's start and the
// sequence check share and that the wizard's records must meet. Portable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "common/fileio.h"
#include "common/seams.h"
#include "ini/ini_document.h"
#include "ini/sequence_records.h"

namespace sequence {

// One start-up item as read from the sequence file.
struct SequenceItem {
  std::wstring title;    // title record without its date prefix
  std::wstring file;     // program, document or address to start
  std::wstring workingFolder;  // working folder; used only when it exists
  std::wstring arguments;   // arguments after the quoted program path
  int show = 0;          // show state of a started program; -1 when the file held a number no
                         // window can take (that start then fails)
  // Per-item timing, in ms (0: none). Delay holds the item back after the
  // previous start before its usual rules begin; Network makes it wait for a
  // connection with internet access, for at most that long.
  double delay = 0;
  double network = 0;
  // Delay or Network keys whose value was refused (counted as 0), as
  // "key = value" for the check.
  std::vector<std::wstring> badTiming = {};
};

// Longest Delay or Network a file may give: 24 hours.
constexpr double kMaxItemTimingMs = 24.0 * 60 * 60 * 1000;

constexpr double kDefaultCPULimit = 30;
constexpr double kDefaultMaxIdleTime = 10000;
constexpr double kDefaultIntervalTime = 500;
constexpr double kDefaultTimerInterval = 200;
// The switches a user may add (Settings says what each does).
constexpr bool kDefaultReport = true;
constexpr bool kDefaultReadyWait = false;
constexpr bool kDefaultSkipRunning = true;
constexpr bool kDefaultGuard = true;
constexpr bool kDefaultSettleWait = true;
constexpr bool kDefaultTimeline = true;

// The kept items of a sequence file, in file order.
struct Sequence {
  std::vector<SequenceItem> items;
  int itemsLeftOut = 0;  // items the file left out by NoUse
};

// The settings a run goes by (the defaults until LoadSettings has read them).
struct Settings {
  double cpuLimit = kDefaultCPULimit;            // percent: start when the usage is at or below this
  double maxIdleTime = kDefaultMaxIdleTime;      // ms: longest wait for the usage to fall
  double intervalTime = kDefaultIntervalTime;    // ms: shortest time between two starts
  double timerInterval = kDefaultTimerInterval;  // ms: period of the tick
  // Keys the user may add; read, never written, so the file the program makes
  // keeps its four lines. Report = 0 turns the start report off; ReadyWait = 1
  // makes each start wait until the program before has finished starting
  // (any other value counts as 0); SkipRunning = 0 starts programs that are
  // already running all the same; Guard = 0 makes the guard only report
  // entries that switched themselves back on (sequence/guard.h);
  // SettleWait = 0 brings back the classic pacing, by the whole machine's
  // usage alone (the launch engine); Timeline = 0 records no timeline of the
  // run (sequence/timeline.h).
  bool report = kDefaultReport;
  bool readyWait = kDefaultReadyWait;
  bool skipRunning = kDefaultSkipRunning;
  bool guard = kDefaultGuard;
  bool settleWait = kDefaultSettleWait;
  bool timeline = kDefaultTimeline;
};

// Sequence file used when the command line names none.
inline constexpr wchar_t kDefaultSequenceName[] = L"Startup.pmw";

// Sets title from a title record. Short form "yyyy/mm/dd：title", long form
// "yyyy/mm/dd" + any ten characters + "［題］：title"; only the slashes and the
// marker are examined. True when a date prefix was removed; otherwise title is
// the whole header.
bool ParseItemTitle(const std::wstring& header, std::wstring& title);

// The kept items of the sequence file at path (none for a missing, unreadable
// or empty file) and how many it left out. An item is left out when its NoUse
// is a number other than 0; a NoUse or Size that is not a number counts as its
// default (0). Delay and Network are read as the settings are (locale); an
// empty one is absent, a negative, non-numeric or over-24-hour one counts
// as 0 and is listed in BadTiming.
Sequence LoadSequence(const std::wstring& path, FileSystem& fs, const NumberSeparators& locale);

// The two halves of LoadSequence for one item's records (records::Load),
// for readers that show the left-out items too: whether NoUse leaves it out,
// and the item as a start reads it.
bool IsLeftOut(const records::Item& records);
SequenceItem ReadItem(const records::Item& records, const NumberSeparators& locale);

// What LoadSettings found in the settings file.
struct SettingsRead {
  Settings settings;                     // what the run goes by
  bool loaded = false;                   // the file was there and could be read
  std::vector<std::wstring> notNumbers;  // keys whose value is no finite number (their default is used)
};

// Loads the settings file, reads Report, ReadyWait, SkipRunning, Guard, SettleWait and Timeline, adds each
// of the four keys that is missing or empty with its default (in the order
// CPULimit, MaxIdleTime, IntervalTime, TimerInterval, as whole numbers),
// reads the four settings from it and, when a key was added or filled, writes
// it back (a complete file is never rewritten). A value that is not a
// finite number gives that key's default; a file that cannot be written
// changes nothing else. A file that exists but cannot be loaded gives the
// defaults and is not written. With writeBack false the file is only read,
// never created or changed (the sequence check reads the settings as a start
// would, and leaves them be). Numbers are read as the user's locale writes
// them (ParseSettingNumber).
SettingsRead LoadSettings(const std::wstring& iniPath, FileSystem& fs,
                          const NumberSeparators& locale, bool writeBack = true);

// A setting's text as a number in the locale's format: its decimal separator,
// its thousands separator anywhere in the integer part, and "." as a decimal
// point as well where "." does not group thousands ("1.500" is 1500 under a
// German locale, 1.5 under a Japanese one). Blanks around it allowed;
// nullopt for anything else.
std::optional<double> ParseSettingNumber(std::wstring_view text, const NumberSeparators& locale);

// A setting's text as a start reads it: by ParseSettingNumber; nullopt when
// that gives no finite number.
std::optional<double> SettingNumber(std::wstring_view text, const NumberSeparators& locale);

// A number as the files' plain keys hold it (NoUse, Size): decimal with a
// point, an exponent allowed, one sign at most, blanks and tabs around it;
// "inf" and "nan" read as those doubles. nullopt for anything else.
std::optional<double> ParseNumber(std::wstring_view text);

// The shortest text that ParseNumber reads back as d (the form of the
// library's shortest conversion: plain or with an exponent, whichever is
// shorter, plain on a tie).
std::wstring NumberText(double d);

// The timer's period in whole milliseconds: TimerInterval rounded half to
// even; a value the timer cannot take (below 1, above 65535, not finite)
// gives 200, so the program never sits without ticks.
int TimerIntervalMs(double timerInterval);

}  // namespace sequence
