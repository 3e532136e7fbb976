#include "wizard/takeover.h"

#include "common/path_rules.h"
#include "sequence/item_text.h"
#include "common/ui_text.h"
#include "wizard/main_program.h"
#include "wizard/texts.h"

namespace wizard {

TakeOverPlan PlanTakeOver(const std::vector<autostart::Entry>& listed, const TakeOverChoices& choices,
                          reg::Registry& registry, FileSystem& files) {
  using autostart::Source;
  TakeOverPlan plan;
  for (const autostart::Entry& e : listed) {
    if (e.source == Source::UserFolder) {
      if (choices.folderIsUserStartup && !e.enabled) plan.disabledLinks.push_back(e.name);
      continue;
    }
    if (!choices.runEntries) continue;
    if (e.approval.root == reg::Root::LocalMachine && !choices.machineEntries) continue;  // every user's: only when chosen
    const bool folder = e.source == Source::CommonFolder;
    if (folder && !choices.folderIsUserStartup) continue;
    if (!e.enabled) continue;  // it did not start before either
    if (!e.isString) {
      plan.notStrings.push_back(e.name);
      continue;
    }
    if (!e.readable) {
      plan.unreadable.push_back(e.name);
      continue;
    }
    if (e.command.empty() || e.program.empty()) continue;
    if (IsMainProgramTarget(e.program)) {
      ++plan.skippedOwn;
      continue;
    }
    if (choices.switchOff && e.approval.root == reg::Root::LocalMachine && !registry.CanWrite(e.approval)) {
      plan.needAdmin.push_back(e.name);
      continue;
    }
    std::optional<TakenEntry> t = TakenEntryOf(e, files);
    if (!t) {
      plan.outsideCodePage.push_back(e.name);
      continue;
    }
    plan.entries.push_back(std::move(*t));
  }
  return plan;
}

std::optional<TakenEntry> TakenEntryOf(const autostart::Entry& e, FileSystem& files) {
  const std::optional<sequence::ItemTexts> item =
      sequence::ItemInCodePage({e.program, e.workingFolder, e.arguments}, files);
  if (!item) return std::nullopt;
  const bool folder = e.source == autostart::Source::UserFolder || e.source == autostart::Source::CommonFolder;
  TakenEntry t;
  const int size = folder ? sequence::ShowFromWindowStyle(e.windowStyle) : 1;
  // A value's name is anyone's text; a shortcut is named after its program.
  t.title = folder ? sequence::RecordTitle(paths::Stem(e.program), e.program) : sequence::RecordTitle(e.name, e.program);
  t.body = sequence::ItemBody(item->file, item->workingFolder, item->arguments, size);
  t.file = item->file;
  t.arguments = item->arguments;
  t.approval = e.approval;
  return t;
}

std::wstring LeftOutMessage(const TakeOverPlan& plan) {
  if (plan.notStrings.empty() && plan.needAdmin.empty()) return {};
  std::wstring m = ui::Text(texts::kLeftOutHeader);
  auto group = [&m](unsigned reason, const std::vector<std::wstring>& names) {
    if (!names.empty()) m += L"\r\n\r\n" + ui::HeadingWithNames(ui::Text(reason), names, L"　");
  };
  group(texts::kLeftOutNotString, plan.notStrings);
  group(texts::kLeftOutNeedsAdmin, plan.needAdmin);
  return m;
}

}  // namespace wizard
