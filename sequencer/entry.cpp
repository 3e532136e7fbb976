#include "sequencer/entry.h"

#include "common/path_rules.h"
#include "common/text.h"
#include "common/fileio.h"
#include "common/ui_text.h"
#include "sequencer/texts.h"

namespace sequencer {

std::wstring ArgumentText(std::wstring_view commandLine) {
  size_t i = 0;
  // The program name: up to the first blank, where quotes switch blanks off.
  bool quoted = false;
  for (; i < commandLine.size(); ++i) {
    wchar_t c = commandLine[i];
    if (c == L'"') quoted = !quoted;
    else if (!quoted && (c == L' ' || c == L'\t')) break;
  }
  // The shell may leave a blank after the name when there is no argument: it
  // must not read as an argument of blanks (a not-found message at log-on).
  while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
  return std::wstring(commandLine.substr(i));
}

MainOutcome Main(std::wstring_view argumentText, const std::wstring& programPath, EntryUi& entry,
                 ui::Messages& messages, FileSystem& fs, const NumberSeparators& locale) {
  std::wstring programFolder = paths::Parent(programPath);
  std::wstring sequencePath = text::StripQuotes(text::Trim(argumentText));
  if (!IsFileReadable(sequencePath, fs)) {
    if (argumentText.empty()) {
      std::wstring folder = programFolder;
      sequencePath = paths::Join(folder, sequence::kDefaultSequenceName);
    } else {
      messages.Show(ui::Format(ui::Text(sequencer::texts::kNotFound), {sequencePath}), ui::MessageIcon::Critical);
    }
  }

  std::wstring folder = programFolder;
  Run run;
  run.settings = sequence::LoadSettings(paths::Join(folder, paths::Stem(programPath) + L".ini"), fs, locale).settings;
  const sequence::Settings& s = run.settings;

  run.sequence = sequence::LoadSequence(sequencePath, fs, locale);
  const int kept = static_cast<int>(run.sequence.items.size());
  report::Clock* clock = entry.ReportClock();
  if (s.report && clock)
    run.report.Open(paths::Join(folder, paths::Stem(programPath) + L".log"), fs, *clock);
  run.report.RunBegins(sequencePath,
                       {s.cpuLimit, s.maxIdleTime, s.intervalTime, s.timerInterval, s.readyWait, s.skipRunning, s.settleWait}, kept,
                       run.sequence.itemsLeftOut);
  // Before the first item. With nothing to start in their place, entries
  // that switched themselves back on are only named.
  run.report.Guard(entry.RunGuard(run.sequence.items, s.guard && kept > 0));
  if (kept == 0) {
    run.report.RunEnds(0, 0);
    return MainOutcome::NoItems;
  }
  return entry.ShowMainWindow(std::move(run)) ? MainOutcome::WindowShown : MainOutcome::WindowFailed;
}

}  // namespace sequencer
