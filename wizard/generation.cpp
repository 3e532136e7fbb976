#include "wizard/generation.h"

#include <algorithm>
#include <set>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/fileio.h"
#include "common/shell_open.h"
#include "common/ui_text.h"
#include "ini/sequence_records.h"
#include "sequence/sequence_file.h"
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
  return text::ToLower(text::Trim(sequence::RecordText(file))) + L'\u0001' +
         std::wstring(text::Trim(sequence::RecordText(option)));
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
      if (IsMainProgramTarget(link->targetPath)) {
        ++result.skippedOwn;
        continue;
      }
      // A shell item without a file path is opened through the shortcut,
      // which stays here: the item is named after the shortcut.
      const shortcut::ItemTarget target = shortcut::ItemTargetOf(lnkPath, *link);
      const std::optional<sequence::ItemTexts> item =
          sequence::ItemInCodePage({target.file, target.workingFolder, target.arguments}, seams.files);
      if (!item) {
        result.outsideCodePage.push_back(name);
        continue;
      }
      const std::wstring body =
          sequence::ItemBody(item->file, item->workingFolder, item->arguments, sequence::ShowFromWindowStyle(link->windowStyle));
      result.takenLinks.push_back(name);
      if (!isNew(item->file, item->arguments)) continue;
      const std::wstring& titledBy = link->targetPath.empty() ? lnkPath : link->targetPath;
      records += sequence::ItemRecords(sequence::RecordTitle(paths::Stem(titledBy), titledBy), body, seams.clock);
      ++result.written;
    }
  }
  if (plan) {
    for (const TakenEntry& e : plan->entries) {
      if (!isNew(e.file, e.arguments)) continue;
      records += sequence::ItemRecords(e.title, e.body, seams.clock);
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
    auto list = [&message](unsigned heading, const std::vector<std::wstring>& names) {
      if (names.empty()) return;
      if (!message.empty()) message += L"\r\n\r\n";
      message += ui::HeadingWithNames(ui::Text(heading), names);
    };
    list(texts::kUnreadableShortcuts, result.unreadable);
    list(texts::kPathsOutsideCodePage, result.outsideCodePage);
    seams.messages.Show(message, ui::MessageIcon::Warning);
  }
  result.ok = true;
  return result;
}

}  // namespace wizard
