#include "drop_text.h"

#include <iterator>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/tool.h"
#include "common/ui_text.h"

namespace droptext {

int SizeOfMode(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kModes))) return kModes[0].size;
  return kModes[index].size;
}

std::wstring FormatEntryBlock(const std::wstring& name, const std::wstring& entry, const itemtext::Date& today) {
  static const std::wstring kHyphens(78, L'-');
  static const std::wstring kEquals(78, L'=');
  std::wstring block;
  block.reserve(name.size() + entry.size() + 2 * 80 + 24);
  block += L"@\r\n";
  block += itemtext::FormatDate(today);
  block += L"\uFF1A";
  block += name;
  block += L"\r\n";
  block += kHyphens;
  block += L"\r\n";
  block += entry;
  block += L"\r\n";
  block += kEquals;
  block += L"\r\n";
  return block;
}

DropText BuildDropText(const std::vector<std::wstring>& paths, int listSize, ShortcutStore& shortcuts,
                       itemtext::Clock& clock, FileSystem& files) {
  // One date for the whole drop, so that a drop around midnight is not split.
  const itemtext::Date today = clock.Today();
  std::wstring result;
  std::vector<std::wstring> leftOut;
  for (const std::wstring& path : paths) {
    // A title left blank by the record rule is named after what the item starts.
    std::wstring entry, titleFallback = path;
    if (text::EqualsNoCase(paths::Extension(path), L"lnk")) {
      std::optional<ShortcutInfo> link = shortcuts.Read(path);
      if (!link)
        return {std::nullopt, ui::Format(ui::Text(droptool::texts::kShortcutUnreadable), {path})};
      const shortcut::ItemTarget target = shortcut::ItemTargetOf(path, *link);
      const auto item = itemtext::ItemInCodePage({target.file, target.current, target.arguments}, files);
      if (!item) {
        leftOut.push_back(path);
        continue;
      }
      entry = itemtext::ItemBody(item->file, item->current, item->option, itemtext::SizeFromWindowStyle(link->WindowStyle));
      if (!link->TargetPath.empty()) titleFallback = link->TargetPath;
    } else {
      const auto item = itemtext::ItemInCodePage({path, paths::Parent(path), L""}, files);
      if (!item) {
        leftOut.push_back(path);
        continue;
      }
      entry = itemtext::ItemBody(item->file, item->current, L"", listSize);
    }
    // The title line is pasted as a record: it obeys the same rule.
    result += FormatEntryBlock(itemtext::RecordTitle(paths::Stem(path), titleFallback), entry, today);
  }
  return {std::move(result), {}, std::move(leftOut)};
}

}  // namespace droptext
