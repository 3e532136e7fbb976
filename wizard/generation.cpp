#include "wizard/generation.h"

#include <algorithm>
#include <set>

#include "common/path_rules.h"
#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/fileio.h"
#include "common/shell_open.h"
#include "common/ui_text.h"
#include "ini/sequence_records.h"
#include "sequence/sequence_file.h"
#include "wizard/switch_off.h"
#include "wizard/texts.h"

namespace wizard {

namespace {

bool HasLnkExtension(const std::wstring& name) {
  // A directory search for "*.lnk" also finds longer extensions through
  // their short names ("x.lnk2"); only real shortcut files are read.
  return name.size() >= 4 && text::EqualsNoCase(std::wstring_view(name).substr(name.size() - 4), L".lnk");
}

// An item as the main program tells items apart: File (letter case aside)
// and Option, as its reader gives them back.
std::wstring ItemKey(std::wstring_view file, std::wstring_view option) {
  return text::ToLower(text::Trim(itemtext::RecordText(file))) + L'\u0001' +
         std::wstring(text::Trim(itemtext::RecordText(option)));
}

// The items of the file that the main program starts (NoUse 0 or no number).
std::set<std::wstring> StartedItems(const std::wstring& sequenceFile, FileSystem& files) {
  std::set<std::wstring> keys;
  for (const records::Item& item : records::Load(sequenceFile, files)) {
    if (sequence::IsLeftOut(item)) continue;
    keys.insert(ItemKey(item.body.Value(L"File").value_or(L""), item.body.Value(L"Option").value_or(L"")));
  }
  return keys;
}

}  // namespace

bool IsMainProgramTarget(const std::wstring& targetPath) {
  std::wstring name = text::ToLower(paths::FileName(targetPath));
  return name.find(L"tarvoline.exe") != std::wstring::npos || name.find(L"tarvolinelite.exe") != std::wstring::npos;
}

GenerationResult GenerateSequenceFile(const std::wstring& folder, const std::wstring& sequenceFile,
                                      GenerationSeams seams, const TakeOverPlan* plan) {
  GenerationResult result;
  if (!IsFileWritable(sequenceFile, seams.files)) {
    seams.messages.Show(ui::Text(texts::kNotWritable), ui::MessageIcon::Critical);
    return result;
  }

  std::wstring records;
  std::set<std::wstring> listed = StartedItems(sequenceFile, seams.files);
  // True when the item is new: a second run, or a program both in a Run key
  // and in a folder, must not start it twice.
  auto isNew = [&](const std::wstring& file, const std::wstring& option) {
    if (listed.insert(ItemKey(file, option)).second) return true;
    ++result.alreadyListed;
    return false;
  };
  // An empty box names no folder; joining it would read the current directory.
  if (!folder.empty()) {
    std::wstring f = folder;
    const std::wstring pattern = paths::Join(f, L"*.lnk");
    for (const std::wstring& name : seams.files.ListOrdinaryFiles(pattern)) {
      if (!HasLnkExtension(name)) continue;
      if (plan && std::any_of(plan->disabledLinks.begin(), plan->disabledLinks.end(),
                              [&](const std::wstring& off) { return text::EqualsNoCase(off, name); }))
        continue;  // switched off in the start-up approval data: it did not start before either
      const std::wstring lnkPath = paths::Join(f, name);
      std::optional<ShortcutInfo> link = seams.shortcuts.Read(lnkPath);
      if (!link) {
        result.unreadable.push_back(name);
        continue;
      }
      if (IsMainProgramTarget(link->TargetPath)) {
        ++result.skippedOwn;
        continue;
      }
      // A shell item without a file path is opened through the shortcut,
      // which stays here: the item is named after the shortcut.
      const shortcut::ItemTarget target = shortcut::ItemTargetOf(lnkPath, *link);
      const std::optional<itemtext::ItemTexts> item =
          itemtext::ItemInCodePage({target.file, target.current, target.arguments}, seams.files);
      if (!item) {
        result.outsideCodePage.push_back(name);
        continue;
      }
      const std::wstring body =
          itemtext::ItemBody(item->file, item->current, item->option, itemtext::SizeFromWindowStyle(link->WindowStyle));
      result.takenLinks.push_back(name);
      if (!isNew(item->file, item->option)) continue;
      const std::wstring& titledBy = link->TargetPath.empty() ? lnkPath : link->TargetPath;
      records += itemtext::ItemRecords(itemtext::RecordTitle(paths::Stem(titledBy), titledBy), body, seams.clock);
      ++result.written;
    }
  }
  if (plan) {
    for (const TakenEntry& e : plan->entries) {
      if (!isNew(e.file, e.option)) continue;
      records += itemtext::ItemRecords(e.title, e.body, seams.clock);
      ++result.written;
    }
    result.skippedOwn += plan->skippedOwn;
    result.unreadable.insert(result.unreadable.end(), plan->unreadable.begin(), plan->unreadable.end());
    result.outsideCodePage.insert(result.outsideCodePage.end(), plan->outsideCodePage.begin(),
                                  plan->outsideCodePage.end());
  }

  if (!records.empty() && !seams.files.Append(sequenceFile, text::ToAnsi(records))) {
    result.written = 0;
    result.alreadyListed = 0;
    result.takenLinks.clear();
    seams.messages.Show(ui::Text(texts::kNotWritable), ui::MessageIcon::Critical);
    return result;
  }

  if (!result.unreadable.empty() || !result.outsideCodePage.empty()) {
    std::wstring message;
    auto list = [&message](const std::wstring& heading, const std::vector<std::wstring>& names) {
      if (names.empty()) return;
      if (!message.empty()) message += L"\r\n\r\n";
      message += heading;
      for (const std::wstring& name : names) message += L"\r\n" + name;
    };
    list(ui::Text(texts::kUnreadableShortcuts), result.unreadable);
    list(ui::Text(texts::kPathsOutsideCodePage), result.outsideCodePage);
    seams.messages.Show(message, ui::MessageIcon::Warning);
  }
  result.ok = true;
  return result;
}

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
  if (program.empty() || !text::EqualsNoCase(own->TargetPath, program) || !seams.files.IsOrdinaryFile(program))
    return texts::kClosingLeftOnNoProgram;
  const bool readsIt = own->Arguments.empty()
                           ? IsMainProgramsDefault(in)
                           : text::EqualsNoCase(text::StripQuotes(text::Trim(own->Arguments)), in.sequenceFile);
  return readsIt ? 0u : unsigned{texts::kClosingLeftOnOtherFile};
}

// "Tarvoline.lnk" switched off in the start-up manager starts nothing: the
// wizard that makes or relies on it switches it back on.
enum class OwnApproval { Untouched, On, SwitchedOn, StaysOff };
OwnApproval SwitchOwnShortcutOn(reg::Registry& registry) {
  const reg::Address at = approval::AddressOf(approval::Place::UserFolder, texts::kOwnShortcutName);
  const reg::ValueRead now = registry.Read(at);
  if (now.status == reg::Status::Missing || (now.status == reg::Status::Ok && approval::IsEnabled(now.bytes)))
    return OwnApproval::On;
  if (now.status != reg::Status::Ok) return OwnApproval::StaysOff;
  return registry.WriteBinary(at, approval::SwitchedOnBytes(now.bytes)) == reg::Status::Ok ? OwnApproval::SwitchedOn
                                                                                            : OwnApproval::StaysOff;
}

// Switches the taken originals off once the main program starts them in
// their place, and says what became of them.
std::wstring SwitchOffTaken(const FinishInputs& in, FinishSeams seams, OwnApproval& own) {
  if (unsigned why = WhyNotStartedByOwnShortcut(in, seams)) return ui::Text(why);
  if (own == OwnApproval::Untouched) own = SwitchOwnShortcutOn(seams.registry);
  if (own == OwnApproval::StaysOff) return ui::Text(texts::kOwnStaysOff);
  switchoff::SwitchOffResult r = switchoff::SwitchOff(in.taken, in.fileTime, in.recordFile, seams.registry, seams.files);
  switch (r.outcome) {
    case switchoff::Outcome::SwitchedOff: {
      return ui::Format(ui::Text(texts::kClosingSwitchedOff), {std::to_wstring(r.count)});
    }
    case switchoff::Outcome::PutBack:
      return ui::Text(texts::kClosingPutBack);
    case switchoff::Outcome::PutBackFailed:
      return ui::Text(texts::kClosingPutBackFailed);
    default:
      return ui::Text(texts::kClosingRecordUnreadable) + (L"\r\n" + in.recordFile);
  }
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

  if (in.checkSequenceFile && !in.ownFolder.empty()) {
    std::wstring own = in.ownFolder;
    const std::wstring program = paths::Join(own, texts::kMainProgramName);
    seams.processes.Start(L"\"" + program + L"\" /check \"" + in.sequenceFile + L"\"", show::kNormal);
  }

  std::wstring closing = ui::Text(texts::kClosing);
  if (in.switchOff && !in.taken.empty()) closing = SwitchOffTaken(in, seams, own);
  if (in.alreadyListed > 0)
    closing += L"\r\n" + ui::Format(ui::Text(texts::kClosingAlreadyListed), {std::to_wstring(in.alreadyListed)});
  if (own == OwnApproval::SwitchedOn) closing = ui::Text(texts::kOwnSwitchedOn) + L"\r\n" + closing;
  if (own == OwnApproval::StaysOff && closing != ui::Text(texts::kOwnStaysOff)) closing += L"\r\n" + ui::Text(texts::kOwnStaysOff);
  const bool warn = shortcutMissing || own == OwnApproval::StaysOff || closing == ui::Text(texts::kClosingPutBackFailed);
  if (shortcutMissing) {
    // The user must not clear the Startup folder; what became of the taken
    // originals is still told.
    std::wstring warning = ui::Text(texts::kClosingNoShortcut);
    if (closing != ui::Text(texts::kClosing)) warning += L"\r\n" + closing;
    seams.messages.Show(warning, ui::MessageIcon::Warning);
  } else {
    seams.messages.Show(closing, warn ? ui::MessageIcon::Warning : ui::MessageIcon::Information);
  }
}

}  // namespace wizard
