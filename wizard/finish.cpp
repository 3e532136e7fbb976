#include "wizard/finish.h"

#include <memory>

#include "common/path_rules.h"
#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/shell_open.h"
#include "common/ui_text.h"
#include "wizard/generation.h"
#include "wizard/switch_off.h"
#include "wizard/texts.h"

namespace wizard {

namespace {

// The main program beside the wizard; "" when the wizard's folder is unknown.
std::wstring MainProgram(const FinishInputs& in) {
  return in.ownFolder.empty() ? std::wstring() : paths::Join(in.ownFolder, texts::kMainProgramName);
}

// The main program reads "Startup.pmw" beside itself unless its shortcut
// names another file.
bool IsMainProgramsDefault(const FinishInputs& in) {
  return !in.ownFolder.empty() &&
         text::EqualsNoCase(in.sequenceFile, paths::Join(in.ownFolder, texts::kMainSequenceName));
}

// What "Tarvoline.lnk" passes so that the main program reads the sequence file.
std::wstring OwnShortcutArguments(const FinishInputs& in) {
  return IsMainProgramsDefault(in) ? std::wstring() : L"\"" + in.sequenceFile + L"\"";
}

// Why the main program started by "Tarvoline.lnk" would not start the items
// just written; 0 when it would. Its argument is read as the main program
// reads its command line.
unsigned WhyNotStartedByOwnShortcut(const FinishInputs& in, FinishSeams seams) {
  std::optional<ShortcutInfo> own;
  if (!in.userStartupFolder.empty()) own = seams.shortcuts.Read(paths::Join(in.userStartupFolder, texts::kOwnShortcutName));
  if (!own) return texts::kClosingLeftOn;
  const std::wstring program = MainProgram(in);
  if (program.empty() || !text::EqualsNoCase(own->targetPath, program) || !seams.files.IsOrdinaryFile(program))
    return texts::kClosingLeftOnNoProgram;
  const bool readsIt = own->arguments.empty()
                           ? IsMainProgramsDefault(in)
                           : text::EqualsNoCase(text::StripQuotes(text::Trim(own->arguments)), in.sequenceFile);
  return readsIt ? 0u : unsigned{texts::kClosingLeftOnOtherFile};
}

// "Tarvoline.lnk" switched off in the start-up manager starts nothing: the
// wizard that makes or relies on it switches it back on.
enum class OwnApproval { Untouched, On, SwitchedOn, StaysOff };
OwnApproval SwitchOwnShortcutOn(reg::Registry& registry) {
  const reg::Address at = autostart::AddressOf(autostart::Place::UserFolder, texts::kOwnShortcutName);
  const reg::ValueRead now = registry.Read(at);
  if (now.status == reg::Status::Missing || (now.status == reg::Status::Ok && autostart::IsEnabled(now.bytes)))
    return OwnApproval::On;
  if (now.status != reg::Status::Ok) return OwnApproval::StaysOff;
  return registry.WriteBinary(at, autostart::SwitchedOnBytes(now.bytes)) == reg::Status::Ok ? OwnApproval::SwitchedOn
                                                                                            : OwnApproval::StaysOff;
}

// What the closing message says about the taken originals, and whether that
// tells of a failure the user must see to.
struct SwitchOffTold {
  std::wstring text;
  bool failure = false;
  bool ownStaysOff = false;  // the text is kOwnStaysOff
};

// Switches the taken originals off once the main program starts them in
// their place, and says what became of them.
SwitchOffTold SwitchOffTaken(const FinishInputs& in, FinishSeams seams, OwnApproval& own) {
  if (unsigned why = WhyNotStartedByOwnShortcut(in, seams)) return {ui::Text(why)};
  if (own == OwnApproval::Untouched) own = SwitchOwnShortcutOn(seams.registry);
  if (own == OwnApproval::StaysOff) return {ui::Text(texts::kOwnStaysOff), true, true};
  // The record's folder under the user's local application data.
  seams.files.CreateFolder(paths::Parent(in.recordFile));
  switchoff::SwitchOffResult r = switchoff::SwitchOff(in.taken, in.fileTime, in.recordFile, seams.registry, seams.files);
  switch (r.outcome) {
    case switchoff::Outcome::SwitchedOff:
      return {ui::Format(ui::Text(texts::kClosingSwitchedOff), {std::to_wstring(r.count)})};
    case switchoff::Outcome::PutBack:
      return {ui::Text(texts::kClosingPutBack)};
    case switchoff::Outcome::PutBackFailed:
      return {ui::Text(texts::kClosingPutBackFailed), true};
    case switchoff::Outcome::RecordBusy:
      return {ui::Text(texts::kClosingRecordBusy), true};
    default:
      return {ui::Text(texts::kClosingRecordUnreadable) + (L"\r\n" + in.recordFile)};
  }
}

// The item that takes over an entry of the record; nullopt when none can be
// made for it.
std::optional<TakenEntry> ItemOfRecorded(const autostart::Change& c, const FinishInputs& in, FinishSeams seams) {
  using autostart::Place;
  autostart::Entry e;
  e.name = c.at.value;
  bool placed = false;
  for (Place p : {Place::UserRun, Place::MachineRun64, Place::MachineRun32, Place::UserFolder, Place::CommonFolder})
    if (autostart::AddressOf(p, c.at.value) == c.at) {
      e.source = p;
      placed = true;
    }
  if (!placed) return std::nullopt;
  if (autostart::IsShortcutApproval(c.at)) {
    std::wstring folder = e.source == Place::UserFolder ? in.userStartupFolder : in.commonStartupFolder;
    if (folder.empty()) return std::nullopt;
    e.command = paths::Join(folder, e.name);
  } else {
    // The command line taken over; an older record's line has none: the value's own.
    std::optional<std::wstring> command = c.command;
    if (!command) command = autostart::ReadCommand(seams.registry, *autostart::RunValueOf(c.at));
    if (!command) return std::nullopt;
    e.command = *command;
  }
  seams.resolveEntry(e);
  if (!e.readable || e.command.empty() || e.program.empty() || IsMainProgramTarget(e.program)) return std::nullopt;
  return TakenEntryOf(e, seams.files);
}

// What became of the entries an earlier Finish switched off.
struct EarlierEntries {
  int added = 0;                        // items appended for them
  std::vector<std::wstring> switchedOn;  // no item possible: put back
  int kept = 0;                         // ... and could not be: still off, kept in the record
};

// An earlier take-over into another file must not be stranded once
// "Tarvoline.lnk" reads this one: its entries get items here, or go back on.
EarlierEntries KeepEarlierEntriesStarted(const FinishInputs& in, FinishSeams seams) {
  EarlierEntries told;
  if (in.recordFile.empty() || !seams.resolveEntry) return told;
  // One writer of the record at a time; without the lock nothing changes here
  // (switching off, when chosen, then says the record is in use).
  const std::unique_ptr<FileLock> lock = seams.files.Lock(autostart::LockFile(in.recordFile), autostart::kLockWaitMs);
  if (!lock) return told;
  std::optional<std::vector<autostart::Change>> record = autostart::LoadRecord(in.recordFile, seams.files, nullptr);
  if (!record) return told;  // switching off says so, when chosen
  TakeOverPlan plan;
  std::vector<size_t> planned, lacking;  // indexes into the record
  for (size_t i = 0; i < record->size(); ++i) {
    const autostart::Change& c = (*record)[i];
    const reg::ValueRead now = seams.registry.Read(c.at);
    if (now.status != reg::Status::Ok || now.bytes != c.written) continue;  // on again, or someone else's since
    if (std::optional<TakenEntry> t = ItemOfRecorded(c, in, seams)) {
      plan.entries.push_back(std::move(*t));
      planned.push_back(i);
    } else {
      lacking.push_back(i);
    }
  }
  if (!plan.entries.empty()) {
    // Items the file has already are not written again.
    const GenerationResult r =
        GenerateSequenceFile(L"", in.sequenceFile, {seams.files, seams.shortcuts, seams.clock, seams.messages}, &plan);
    if (r.ok) told.added = r.written;
    else lacking.insert(lacking.end(), planned.begin(), planned.end());
  }
  std::vector<bool> drop(record->size(), false);
  for (size_t i : lacking) {
    if (autostart::PutBack((*record)[i], seams.registry)) {
      drop[i] = true;
      told.switchedOn.push_back((*record)[i].at.value);
    } else {
      ++told.kept;
    }
  }
  if (told.switchedOn.empty()) return told;
  std::vector<autostart::Change> left;
  for (size_t i = 0; i < record->size(); ++i)
    if (!drop[i]) left.push_back((*record)[i]);
  // A line left for a value put back is harmless: /restore leaves alone a
  // value that is not as written.
  seams.files.ReplaceContents(in.recordFile, autostart::FormatRecord(left));
  return told;
}

}  // namespace

void RunFinishingSteps(const FinishInputs& in, FinishSeams seams) {
  // Each step may fail on its own; the user still gets the closing message.
  ShellOpen(in.owner, in.scannedFolder + L"\\", seams.shell, seams.files);

  bool shortcutMissing = in.createShortcut;
  OwnApproval own = OwnApproval::Untouched;
  if (in.createShortcut && !in.userStartupFolder.empty() && !in.ownFolder.empty()) {
    const std::wstring link = paths::Join(in.userStartupFolder, texts::kOwnShortcutName);
    shortcutMissing = !seams.shortcuts.SetTarget(link, MainProgram(in), OwnShortcutArguments(in));
    if (!shortcutMissing) own = SwitchOwnShortcutOn(seams.registry);
  }

  if (in.openSequenceFile) {
    // The suite's editor beside the wizard opens it; else the program associated with ".pmw".
    const std::wstring editor = in.ownFolder.empty() ? std::wstring() : paths::Join(in.ownFolder, texts::kEditorName);
    if (editor.empty() || !seams.files.IsOrdinaryFile(editor) ||
        !seams.processes.Start(L"\"" + editor + L"\" \"" + in.sequenceFile + L"\"", show::kNormal))
      ShellOpen(in.owner, in.sequenceFile, seams.shell, seams.files);
  }

  if (in.checkSequenceFile && !in.ownFolder.empty())
    seams.processes.Start(L"\"" + MainProgram(in) + L"\" /check \"" + in.sequenceFile + L"\"", show::kNormal);

  EarlierEntries earlier;
  if (WhyNotStartedByOwnShortcut(in, seams) == 0) earlier = KeepEarlierEntriesStarted(in, seams);

  std::wstring closing = ui::Text(texts::kClosing);
  bool plain = true;  // nothing but the request to clear the Startup folder
  bool failure = shortcutMissing;
  bool toldOwnStaysOff = false;
  if (in.switchOff && !in.taken.empty()) {
    SwitchOffTold s = SwitchOffTaken(in, seams, own);
    closing = std::move(s.text);
    plain = false;
    failure = failure || s.failure;
    toldOwnStaysOff = s.ownStaysOff;
  }
  if (in.alreadyListed > 0) {
    closing += L"\r\n" + ui::Format(ui::Text(texts::kClosingAlreadyListed), {std::to_wstring(in.alreadyListed)});
    plain = false;
  }
  if (earlier.added > 0) {
    closing += L"\r\n" + ui::Format(ui::Text(texts::kClosingEarlierAdded), {std::to_wstring(earlier.added)});
    plain = false;
  }
  if (!earlier.switchedOn.empty()) {
    closing += L"\r\n" + ui::HeadingWithNames(ui::Text(texts::kClosingEarlierSwitchedOn), earlier.switchedOn);
    plain = false;
  }
  if (earlier.kept > 0) {
    closing += L"\r\n" + ui::Format(ui::Text(texts::kRestoreKept), {std::to_wstring(earlier.kept)});
    plain = false;
    failure = true;
  }
  if (own == OwnApproval::SwitchedOn) {
    closing = ui::Text(texts::kOwnSwitchedOn) + L"\r\n" + closing;
    plain = false;
  }
  if (own == OwnApproval::StaysOff) {
    failure = true;
    if (!toldOwnStaysOff) {
      closing += L"\r\n" + ui::Text(texts::kOwnStaysOff);
      plain = false;
    }
  }
  if (shortcutMissing) {
    // The user must not clear the Startup folder; what became of the taken
    // originals is still told.
    std::wstring warning = ui::Text(texts::kClosingNoShortcut);
    if (!plain) warning += L"\r\n" + closing;
    seams.messages.Show(warning, ui::MessageIcon::Warning);
  } else {
    seams.messages.Show(closing, failure ? ui::MessageIcon::Warning : ui::MessageIcon::Information);
  }
}

}  // namespace wizard
