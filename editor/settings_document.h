// The editor's model of Tarvoline's settings file (Tarvoline.ini): the keys
// Tarvoline reads, shown as a start reads them (the INI document, then
// ParseSettingNumber in the user's locale; a key that is missing or not a
// number shows the default a start uses), changed within limits that a start
// takes, and saved changing only the lines of the keys the user changed.
// Portable: the file system comes in through its seam.
#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "common/fileio.h"
#include "common/seams.h"
#include "editor/texts.h"
#include "sequence/sequence_file.h"

namespace editor {

// One key of the page. A switch reads as on when its number is not 0 (with
// onlyOne, when it is exactly 1); absent, or no number, it is its default.
struct SettingKey {
  std::wstring_view name;
  bool isSwitch = false;
  double defaultValue = 0;  // a switch: 1 on, 0 off
  double min = 0, max = 0;  // numbers: what the page accepts, both included
  bool whole = false;       // numbers: whole ones only
  bool onlyOne = false;
  unsigned unit = 0;        // text ids
  unsigned about = 0;
};

// The keys in the page's order. The limits: CPULimit is a percentage; the
// timer takes whole milliseconds from 1 to 65535 (TimerIntervalMs); the two
// waits stop at an hour, far beyond any log-on, so a slip of the keyboard
// (an extra zero or three) does not leave the items waiting for days.
inline constexpr SettingKey kSettingKeys[] = {
    {L"CPULimit", false, sequence::kDefaultCPULimit, 0, 100, false, false, texts::kUnitPercent, texts::kAboutCPULimit},
    {L"MaxIdleTime", false, sequence::kDefaultMaxIdleTime, 0, 3600000, false, false, texts::kUnitMs,
     texts::kAboutMaxIdleTime},
    {L"IntervalTime", false, sequence::kDefaultIntervalTime, 0, 3600000, false, false, texts::kUnitMs,
     texts::kAboutIntervalTime},
    {L"TimerInterval", false, sequence::kDefaultTimerInterval, 1, 65535, true, false, texts::kUnitMs,
     texts::kAboutTimerInterval},
    {L"ReadyWait", true, sequence::kDefaultReadyWait, 0, 0, false, true, 0, texts::kAboutReadyWait},
    {L"SkipRunning", true, sequence::kDefaultSkipRunning, 0, 0, false, false, 0, texts::kAboutSkipRunning},
    {L"Report", true, sequence::kDefaultReport, 0, 0, false, false, 0, texts::kAboutReport},
    {L"Guard", true, sequence::kDefaultGuard, 0, 0, false, false, 0, texts::kAboutGuard},
    {L"SettleWait", true, sequence::kDefaultSettleWait, 0, 0, false, false, 0, texts::kAboutSettleWait},
    {L"Timeline", true, sequence::kDefaultTimeline, 0, 0, false, false, 0, texts::kAboutTimeline},
};
inline constexpr std::size_t kSettingCount = std::size(kSettingKeys);

// A number as the locale writes it, with no thousands separators, so that
// ParseSettingNumber reads back the same value.
std::wstring FormatSettingNumber(double value, const NumberSeparators& locale);

class SettingsDocument {
 public:
  enum class FileState { Loaded, Missing, Unreadable };
  enum class SaveStatus { Saved, ChangedOnDisk, WriteFailed };

  SettingsDocument(FileSystem& fs, NumberSeparators locale);

  // Reads the file at path. Missing: the defaults, and a save creates it.
  // Unreadable (there, but hidden, locked or access denied: a start uses the
  // defaults too): the defaults, and a save refuses to write over it.
  FileState Open(const std::wstring& path);
  const std::wstring& Path() const { return path_; }
  FileState State() const { return state_; }

  // The key's value as it stands (a switch: 1 on, 0 off); the same in the
  // page's words, a number in the user's locale.
  double Value(std::size_t key) const { return value_[key]; }
  std::wstring Text(std::size_t key) const { return FormatSettingNumber(value_[key], locale_); }
  bool Changed(std::size_t key) const { return value_[key] != read_[key]; }
  bool Modified() const;

  // Takes the text typed for a number key, read in the user's locale. A
  // number out of the key's limits, not whole where it must be, not a number
  // or with a misplaced thousands separator is refused: the message naming
  // the key and its limits is returned, and the value stays as it was.
  std::optional<std::wstring> SetText(std::size_t key, std::wstring_view typed);
  void SetOn(std::size_t key, bool on);

  // The file's bytes as last read, with the changed keys written in: the
  // first line of each key (the one a start reads) takes the new value after
  // its "=", a missing key is added after the last line that holds anything,
  // every other byte stays.
  std::string Bytes() const;
  // Replaces the file all or nothing. Nothing changed: nothing is written.
  // Unless overwrite, a file changed on disk since it was read is reported;
  // with it, the changed keys are written into the file as it now is.
  SaveStatus Save(bool overwrite = false);

 private:
  void Read(std::string_view bytes);

  FileSystem& fs_;
  NumberSeparators locale_;
  std::wstring path_;
  FileState state_ = FileState::Missing;
  std::optional<std::string> onDisk_;  // the bytes last read or written; nullopt: no file
  double read_[kSettingCount] = {};    // as a start reads the file
  double value_[kSettingCount] = {};   // as the user set them
};

}  // namespace editor
