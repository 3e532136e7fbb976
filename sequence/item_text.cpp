#include "sequence/item_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/text.h"
#include "common/path_rules.h"

namespace sequence {

int ShowFromWindowStyle(int windowStyle) {
  switch (windowStyle) {
    case 3:
      return 3;
    case 7:
      return 6;  // minimized and not active: the main program's 6, not 7
    default:
      return 1;
  }
}

std::wstring RecordText(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out)
    if (c == L'\u0001' || c == L'\r' || c == L'\n' || c == L'\u0085' || c == L'\u2028' || c == L'\u2029') c = L' ';
  return out;
}

std::wstring RecordTitle(std::wstring_view title, std::wstring_view program) {
  std::wstring out = RecordText(title);
  if (out.find_first_not_of(L' ') == std::wstring::npos) out = RecordText(paths::FileName(program));
  return out;
}

std::wstring ItemBody(const std::wstring& target, const std::wstring& current, const std::wstring& option,
                      int size) {
  std::wstring body;
  body.reserve(target.size() + current.size() + option.size() + 48);
  body += L"File=";
  body += RecordText(target);
  body += L"\r\nCurrent=";
  body += RecordText(current);
  body += L"\r\nOption=";
  body += RecordText(option);
  body += L"\r\nSize = ";
  body += std::to_wstring(size);
  body += L"\r\nNoUse = 0";
  return body;
}

std::optional<std::wstring> PathInCodePage(const std::wstring& path, FileSystem& fs) {
  if (text::ToAnsiExact(path)) return path;
  // Short names can be switched off, and may hold non-ASCII characters too.
  std::optional<std::wstring> shortPath = fs.ShortPath(path);
  if (shortPath && text::ToAnsiExact(*shortPath)) return shortPath;
  return std::nullopt;
}

std::optional<ItemTexts> ItemInCodePage(const ItemTexts& item, FileSystem& fs) {
  std::optional<std::wstring> file = PathInCodePage(item.file, fs), current = PathInCodePage(item.workingFolder, fs);
  // The option is checked as the record holds it (line ends already blanks).
  if (!file || !current || !text::ToAnsiExact(RecordText(item.arguments))) return std::nullopt;
  return ItemTexts{*file, *current, item.arguments};
}

std::wstring FormatDate(const Date& d) {
  wchar_t buf[32];
  std::swprintf(buf, sizeof buf / sizeof buf[0], L"%04d/%02d/%02d", d.year, d.month, d.day);
  return buf;
}

std::wstring ClipboardBlock(std::wstring_view titleRecord, std::wstring_view body) {
  std::wstring block;
  block.reserve(titleRecord.size() + body.size() + 2 * 80 + 8);
  block.append(L"@\r\n").append(titleRecord).append(L"\r\n").append(kBlockTitleRule).append(L"\r\n");
  block.append(body).append(L"\r\n").append(kBlockEndRule).append(L"\r\n");
  return block;
}

namespace {

class SystemClock final : public Clock {
 public:
  Date Today() override {
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  }
};

}  // namespace

Clock& RealClock() {
  static SystemClock clock;
  return clock;
}

std::wstring ItemRecords(const std::wstring& title, const std::wstring& body, Clock& clock) {
  std::wstring record = FormatDate(clock.Today());
  record += L'\uFF1A';
  record += title;
  record += L'\u0001';
  record += L'\u0001';
  record += body;
  record += L'\u0001';
  return record;
}

DroppedItem ItemFromDropped(const std::wstring& path, int listSize, ShortcutStore& shortcuts, FileSystem& fs) {
  DroppedItem item;
  // A title left blank by the record rule is named after what the item starts.
  std::wstring titleFallback = path;
  std::optional<ItemTexts> texts;
  if (text::EqualsNoCase(paths::Extension(path), L"lnk")) {
    const std::optional<ShortcutInfo> link = shortcuts.Read(path);
    if (!link) {
      item.status = DroppedItem::ShortcutUnreadable;
      return item;
    }
    const shortcut::ItemTarget target = shortcut::ItemTargetOf(path, *link);
    texts = ItemInCodePage({target.file, target.workingFolder, target.arguments}, fs);
    item.show = ShowFromWindowStyle(link->windowStyle);
    if (!link->targetPath.empty()) titleFallback = link->targetPath;
  } else {
    texts = ItemInCodePage({path, paths::Parent(path), L""}, fs);
    item.show = listSize;
  }
  if (!texts) {
    item.status = DroppedItem::NotInCodePage;
    return item;
  }
  item.texts = std::move(*texts);
  item.title = RecordTitle(paths::Stem(path), titleFallback);
  return item;
}

}  // namespace sequence
