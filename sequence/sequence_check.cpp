#include "sequence/sequence_check.h"

#include <cstdio>
#include <unordered_map>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/fileio.h"
#include "common/shell_open.h"
#include "common/ui_text.h"
#include "ini/ini_document.h"
#include "sequence/launch_system.h"
#include "sequence/report_lines.h"
#include "sequence/texts.h"

namespace sequence::check {

namespace {

// The report's text id in the user's language, with its one value filled in.
std::wstring T(unsigned id, std::wstring_view value = {}) { return ui::Format(ui::Text(id), {value}); }

constexpr auto kStyle = paths::kPlatform;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimBlanks(std::wstring_view s) { return text::Trim(s, L" \t"); }

// word at the start of s, in any letter case, ended by a blank or the end.
bool StartsWithWord(std::wstring_view s, std::wstring_view word) {
  return s.size() >= word.size() && text::EqualsNoCase(s.substr(0, word.size()), word) &&
         (s.size() == word.size() || IsBlank(s[word.size()]));
}

bool EndsWithWord(std::wstring_view s, std::wstring_view word) {
  return s.size() > word.size() && text::EqualsNoCase(s.substr(s.size() - word.size()), word) &&
         IsBlank(s[s.size() - word.size() - 1]);
}

bool IsProgramExtension(const std::wstring& file) {
  const std::wstring ext = text::ToLower(paths::Extension(file));
  return ext == L"com" || ext == L"exe" || ext == L"bat" || ext == L"cmd";
}

// A path that does not depend on the current directory (a drive, a root or
// a network share on Windows; a leading "/" on POSIX).
bool IsAbsolute(const std::wstring& path) {
  if (path.empty()) return false;
  if (paths::IsSeparator(path[0], kStyle)) return true;
  return kStyle == paths::Style::Windows && path.size() >= 2 && path[1] == L':';
}

bool HasFolderPart(const std::wstring& path) {
  for (wchar_t c : path)
    if (paths::IsSeparator(c, kStyle) || c == L':') return true;
  return false;
}

std::wstring Join(std::wstring folder, std::wstring_view name) { return paths::Join(folder, name); }

// Where a start would take the item's File from, as a process start looks
// for a program (Tarvoline's folder, the current folder, then the search
// folders for a bare name) and the shell for a document (found by a
// directory search, so a hidden document is not opened). The item's Current
// stands for the current folder, since the engine moves there first;
// without one Tarvoline's folder is the best guess for a document named
// without a full path. nullopt when nothing is there.
std::optional<std::wstring> Locate(const SequenceItem& item, const Environment& env,
                                   const std::wstring& programFolder, FileSystem& fs) {
  const bool program = IsProgramExtension(item.file);
  auto exists = [&](const std::wstring& p) {
    return program ? fs.CanRead(p) || fs.IsOrdinaryFile(p) : fs.AnyOrdinaryFileMatches(p);
  };
  if (IsAbsolute(item.file)) return exists(item.file) ? std::optional(item.file) : std::nullopt;
  std::vector<std::wstring> candidates;
  const bool current = IsFolderPresent(item.workingFolder, fs);
  if (program) {
    candidates.push_back(Join(programFolder, item.file));
    if (current) candidates.push_back(Join(item.workingFolder, item.file));
    if (!HasFolderPart(item.file))
      for (const std::wstring& folder : env.searchFolders) candidates.push_back(Join(folder, item.file));
  } else {
    candidates.push_back(current ? Join(item.workingFolder, item.file) : Join(programFolder, item.file));
  }
  for (const std::wstring& c : candidates)
    if (exists(c)) return c;
  return std::nullopt;
}

std::wstring Number(long long n) { return std::to_wstring(n); }

std::wstring TwoDigits(int n) {
  wchar_t buf[8];
  std::swprintf(buf, 8, L"%02d", n);
  return buf;
}

std::wstring FormatTime(const LocalTime& t) {
  return std::to_wstring(t.year) + L"/" + TwoDigits(t.month) + L"/" + TwoDigits(t.day) + L" " + TwoDigits(t.hour) +
         L":" + TwoDigits(t.minute) + L":" + TwoDigits(t.second);
}

class Report {
 public:
  void Line(std::wstring s) { lines_.push_back(std::move(s)); }
  void Finding(const std::wstring& s) {
    lines_.push_back(T(texts::kCheckMark, s));
    ++findings_;
  }
  int findings() const { return findings_; }
  const std::vector<std::wstring>& lines() const { return lines_; }

 private:
  std::vector<std::wstring> lines_;
  int findings_ = 0;
};

void CheckItems(const std::vector<SequenceItem>& items, const Environment& env, Seams seams, Report& report) {
  const ItemCheck check(env, seams.files, seams.autoStart.EnabledProgramPaths());
  const std::vector<size_t> twins = Twins(items);
  report.Line(T(texts::kCheckItemCount, Number(static_cast<long long>(items.size()))));
  for (size_t i = 0; i < items.size(); ++i) {
    const SequenceItem& item = items[i];
    const int before = report.findings();
    report.Line(L"");
    report.Line(L"[" + Number(static_cast<long long>(i + 1)) + L"] " + item.title);
    report.Line(T(texts::kCheckItemFile, item.file));
    for (const std::wstring& finding : check.Findings(item, twins[i])) report.Finding(finding);
    if (report.findings() == before) report.Line(T(texts::kCheckItemClean));
  }
  const std::vector<std::wstring> added = seams.autoStart.NewEntries(items);
  if (!added.empty()) report.Line(L"");
  for (const std::wstring& entry : added) report.Finding(T(texts::kCheckNewEntry, entry));
}

struct SettingKey {
  const wchar_t* name;
  double defaultValue;
  double Settings::*value;
};

}  // namespace

bool ThousandsMisplaced(std::wstring_view text, const NumberSeparators& numbers) {
  constexpr size_t npos = std::wstring_view::npos;
  const std::wstring_view sep = numbers.thousands;
  if (sep.empty()) return false;
  text = TrimBlanks(text);
  // The integer part, as ParseSettingNumber finds it.
  size_t point = numbers.decimal.empty() ? npos : text.find(numbers.decimal);
  if (point == npos && sep != L".") point = text.find(L'.');
  std::wstring_view whole = text.substr(0, point);
  if (whole.find(sep) == npos) return false;
  if (whole.front() == L'-' || whole.front() == L'+') whole.remove_prefix(1);
  for (size_t start = 0, group = 0;; ++group) {
    const size_t end = whole.find(sep, start);
    const size_t digits = (end == npos ? whole.size() : end) - start;
    if (group == 0 ? digits == 0 || digits > 3 : digits != 3) return true;
    if (end == npos) return false;
    start = end + sep.size();
  }
}

namespace {

void CheckSettings(const std::wstring& iniPath, FileSystem& fs, const NumberSeparators& numbers, Report& report) {
  const SettingsRead read = LoadSettings(iniPath, fs, numbers, /*writeBack=*/false);
  report.Line(L"");
  report.Line(T(texts::kCheckSettingsFile, iniPath));
  IniDocument raw(fs);
  if (!read.loaded) {
    // Still there, but hidden or not readable: its values are not used.
    if (fs.CanRead(iniPath) || fs.IsOrdinaryFile(iniPath)) {
      report.Finding(T(texts::kCheckSettingsUnreadable));
    } else {
      report.Line(T(texts::kCheckSettingsMissing));
    }
  } else {
    raw.Load(iniPath);
  }
  const SettingKey keys[] = {
      {L"CPULimit", kDefaultCPULimit, &Settings::cpuLimit},
      {L"MaxIdleTime", kDefaultMaxIdleTime, &Settings::maxIdleTime},
      {L"IntervalTime", kDefaultIntervalTime, &Settings::intervalTime},
      {L"TimerInterval", kDefaultTimerInterval, &Settings::timerInterval},
  };
  for (const SettingKey& k : keys) {
    const std::optional<std::wstring> v = raw.Value(k.name);
    const std::wstring head = std::wstring(L"    ") + k.name + L" = ";
    if (!read.loaded) {
      report.Line(head + NumberText(read.settings.*k.value));
      continue;
    }
    if (!v) {
      report.Line(head + T(texts::kCheckKeyMissing, NumberText(read.settings.*k.value)));
      continue;
    }
    report.Line(head + *v);
    bool notNumber = false;
    for (const std::wstring& n : read.notNumbers) notNumber = notNumber || n == k.name;
    if (v->empty()) report.Finding(T(texts::kCheckKeyEmpty, NumberText(k.defaultValue)));
    else if (notNumber) report.Finding(T(texts::kCheckNotNumber, NumberText(k.defaultValue)));
    else if (ThousandsMisplaced(*v, numbers))
      report.Finding(ui::Format(ui::Text(texts::kCheckThousandsMisplaced),
                                {numbers.thousands, NumberText(read.settings.*k.value)}));
  }
  // The timer takes whole milliseconds from 1 to 65535; anything else runs at the default.
  const double t = read.settings.timerInterval;
  if (TimerIntervalMs(t) == kDefaultTimerInterval && !(t >= 199.5 && t <= 200.5))
    report.Finding(T(texts::kCheckTimerRange, NumberText(kDefaultTimerInterval)));
  report.Line(T(read.settings.settleWait ? texts::kCheckPacingSettle : texts::kCheckPacingClassic));
}

}  // namespace

std::optional<Command> ParseCommand(std::wstring_view argumentText) {
  std::wstring_view rest = TrimBlanks(argumentText);
  if (!StartsWithWord(rest, L"/check")) return std::nullopt;
  rest = TrimBlanks(rest.substr(6));
  Command command;
  if (StartsWithWord(rest, L"/quiet")) {
    command.quiet = true;
    rest = TrimBlanks(rest.substr(6));
  } else if (EndsWithWord(rest, L"/quiet")) {
    command.quiet = true;
    rest = TrimBlanks(rest.substr(0, rest.size() - 6));
  }
  command.sequencePath = text::StripQuotes(rest);
  return command;
}

ItemCheck::ItemCheck(Environment env, FileSystem& files, std::vector<std::wstring> autoStart)
    : env_(std::move(env)), programFolder_(paths::Parent(env_.programPath)), files_(files), autoStart_(std::move(autoStart)) {}

std::vector<std::wstring> ItemCheck::Findings(const SequenceItem& item, size_t earlierTwin) const {
  std::vector<std::wstring> found;
  if (!item.workingFolder.empty() && !IsFolderPresent(item.workingFolder, files_))
    found.push_back(T(texts::kCheckMissingCurrent, item.workingFolder));
  for (const std::wstring& bad : item.badTiming) found.push_back(T(texts::kCheckBadTiming, bad));
  if (item.file.empty()) {
    found.push_back(T(texts::kCheckEmptyFile));
    return found;
  }
  const bool program = IsProgramExtension(item.file);
  if (program && (item.show < 0 || item.show > LaunchSystem::kMaxShowState))
    found.push_back(T(texts::kCheckBadSize, Number(item.show)));
  std::optional<std::wstring> where;
  if (!IsAddress(item.file)) {
    where = Locate(item, env_, programFolder_, files_);
    if (!where) found.push_back(T(program ? texts::kCheckMissingProgram : texts::kCheckMissingDocument));
  }
  const std::wstring& path = where ? *where : item.file;
  for (const std::wstring& entry : autoStart_) {
    if (text::EqualsNoCase(entry, path) || text::EqualsNoCase(entry, item.file)) {
      found.push_back(T(texts::kCheckAutoStart, entry));
      break;
    }
  }
  if (earlierTwin) found.push_back(T(texts::kCheckDuplicate, Number(static_cast<long long>(earlierTwin))));
  return found;
}

std::vector<size_t> Twins(const std::vector<SequenceItem>& items) {
  std::vector<size_t> twins(items.size(), 0);
  std::unordered_map<std::wstring, size_t> firstSeen;  // lower-cased File and Option -> position
  firstSeen.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].file.empty()) continue;
    // Option is compared as written: arguments may tell letter case apart.
    auto [it, fresh] = firstSeen.emplace(text::ToLower(items[i].file) + L'\u0001' + items[i].arguments, i + 1);
    if (!fresh) twins[i] = it->second;
  }
  return twins;
}

Result Run(const Command& command, const Environment& env, Seams seams) {
  const std::wstring programFolder = paths::Parent(env.programPath);
  const std::wstring baseName = paths::Stem(env.programPath);
  const std::wstring sequencePath =
      command.sequencePath.empty() ? Join(programFolder, kDefaultSequenceName) : command.sequencePath;
  Result result;
  result.reportPath = Join(programFolder, baseName + L".check.txt");

  Report report;
  report.Line(T(texts::kCheckHeading));
  report.Line(T(texts::kCheckWhen, FormatTime(env.now)));
  report.Line(T(texts::kCheckSequenceFile, sequencePath));
  const bool readable = IsFileReadable(sequencePath, seams.files);
  if (readable) {
    CheckItems(LoadSequence(sequencePath, seams.files, UserNumberSeparators()).items, env, seams, report);
  } else {
    report.Finding(T(texts::kCheckSequenceNotRead));
  }
  CheckSettings(Join(programFolder, baseName + L".ini"), seams.files, env.numbers, report);
  const int findings = report.findings();
  report.Line(L"");
  report.Line(findings ? T(texts::kCheckFindingCount, Number(findings)) : T(texts::kCheckNoFindings));

  result.exitCode = !readable ? kSequenceUnreadable : findings ? kFindings : kNoFinding;
  result.written = seams.files.ReplaceContents(result.reportPath, Utf8Lines(report.lines(), /*byteOrderMark=*/true));
  // A script that asked for the check must not take an unwritten report for a clean one.
  if (!result.written) result.exitCode = kReportNotWritten;
  if (result.written && !command.quiet)
    seams.shell.Execute(nullptr, result.reportPath, programFolder, show::kNormal);
  return result;
}

}  // namespace sequence::check
