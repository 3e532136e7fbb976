#include "droptool/drop_text.h"

#include <iterator>

#include "common/ui_text.h"

namespace droptool {

int ShowOfMode(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kModes))) return kModes[0].show;
  return kModes[index].show;
}

std::wstring FormatEntryBlock(const std::wstring& name, const std::wstring& entry, const sequence::Date& today) {
  return sequence::ClipboardBlock(sequence::FormatDate(today) + L"\uFF1A" + name, entry);
}

DropText BuildDropText(const std::vector<std::wstring>& paths, int listSize, ShortcutStore& shortcuts,
                       sequence::Clock& clock, FileSystem& files) {
  // One date for the whole drop, so that a drop around midnight is not split.
  const sequence::Date today = clock.Today();
  std::wstring result;
  std::vector<std::wstring> leftOut;
  for (const std::wstring& path : paths) {
    const sequence::DroppedItem item = sequence::ItemFromDropped(path, listSize, shortcuts, files);
    if (item.status == sequence::DroppedItem::ShortcutUnreadable)
      return {std::nullopt, ui::Format(ui::Text(droptool::texts::kShortcutUnreadable), {path})};
    if (item.status == sequence::DroppedItem::NotInCodePage) {
      leftOut.push_back(path);
      continue;
    }
    // The title line is pasted as a record: it obeys the same rule.
    const sequence::ItemTexts& t = item.texts;
    result += FormatEntryBlock(item.title, sequence::ItemBody(t.file, t.workingFolder, t.arguments, item.show), today);
  }
  return {std::move(result), {}, std::move(leftOut)};
}

}  // namespace droptool
