// The sequence check: "Tarvoline.exe /check [sequence file] [/quiet]". It
// starts nothing and shows no window: it reads the sequence and the settings
// as a start would (the settings file is never written), writes what it
// found to a report beside the program (its name with ".check.txt"), opens
// the report with the shell unless /quiet was given, and ends with 0 when
// nothing was found, 1 when something was, 2 when the sequence file could not
// be read. Findings and report text are made here; the Win32 side supplies
// the file system, the shell, the time, where programs are searched for and
// the programs that start by themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/seams.h"
#include "sequencer/startup.h"

namespace seqcheck {

// Programs that start by themselves at log-on: the enabled entries (not
// switched off in the start-up approval data) of the user's and the
// all-users Startup folder and of the Run keys.
class AutoStartPrograms {
 public:
  virtual ~AutoStartPrograms() = default;
  // Full paths of those programs; compared with an item's File without
  // regard to letter case.
  virtual std::vector<std::wstring> EnabledProgramPaths() = 0;
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

enum ExitCode { kNoFinding = 0, kFindings = 1, kSequenceUnreadable = 2 };

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

// Runs the check and writes (and unless quiet, opens) the report.
Result Run(const Command& command, const Environment& env, Seams seams);

// The report's texts, together so that they can move into a string table.
namespace texts {
inline constexpr wchar_t kHeading[] = L"Tarvoline シーケンスファイルのチェック";
inline constexpr wchar_t kWhen[] = L"日時: ";
inline constexpr wchar_t kSequenceFile[] = L"シーケンスファイル: ";
inline constexpr wchar_t kSequenceNotRead[] = L"シーケンスファイルを読み込めません。";
inline constexpr wchar_t kItemCount[] = L"起動する項目: ";  // + n + kCountSuffix
inline constexpr wchar_t kCountSuffix[] = L" 件";
inline constexpr wchar_t kItemFile[] = L"    File: ";
inline constexpr wchar_t kItemClean[] = L"    問題はありません。";
inline constexpr wchar_t kMark[] = L"    ※ ";
inline constexpr wchar_t kEmptyFile[] = L"File が空です。起動するものがありません。";
inline constexpr wchar_t kMissingProgram[] = L"プログラムが見付かりません。";
inline constexpr wchar_t kMissingDocument[] = L"ファイルが見付かりません。開かれません。";
inline constexpr wchar_t kMissingCurrent[] = L"作業フォルダ(Current)が見付かりません: ";
inline constexpr wchar_t kBadSize[] = L"Size の値はウィンドウの表示方法として使えません(0～11)。起動は失敗します: ";
inline constexpr wchar_t kDuplicate[] = L"項目 ";  // + n + kDuplicateSuffix
inline constexpr wchar_t kDuplicateSuffix[] = L" と File も Option も同じです。二度起動されます。";
inline constexpr wchar_t kAutoStart[] =
    L"スタートアップフォルダまたは Run キーからも起動されます。二度起動されます: ";
inline constexpr wchar_t kSettingsFile[] = L"設定ファイル: ";
inline constexpr wchar_t kSettingsMissing[] = L"    設定ファイルはありません。既定値を使います(通常の起動で作られます)。";
inline constexpr wchar_t kSettingsUnreadable[] = L"設定ファイルを読み込めません。既定値を使います。";
inline constexpr wchar_t kKeyMissing[] = L" (記載なし: 既定値)";
inline constexpr wchar_t kKeyEmpty[] = L"値が空です。既定値を使います: ";
inline constexpr wchar_t kNotNumber[] = L"数値ではありません。既定値を使います: ";
inline constexpr wchar_t kTimerRange[] = L"タイマーに使えない値です(1～65535)。代わりに使う値: ";
inline constexpr wchar_t kFindingCount[] = L"指摘: ";  // + n + kCountSuffix
inline constexpr wchar_t kNoFindings[] = L"指摘はありません。";
inline constexpr wchar_t kNotWritten[] = L"チェックの結果を書き込めませんでした: ";
}  // namespace texts

}  // namespace seqcheck
