#include "ini_mente_sub.h"

#include <string_view>
#include <utility>

#include "ini/text_fast_read_binary.h"

namespace iniMenteSub {

namespace {

std::wstring_view TrimSpaces(std::wstring_view s) {
  std::size_t b = s.find_first_not_of(L' ');
  if (b == std::wstring_view::npos) return {};
  std::size_t e = s.find_last_not_of(L' ');
  return s.substr(b, e - b + 1);
}

void StoreBodyLine(iniMente& doc, std::wstring_view line) {
  if (line.empty() || line[0] == L'#' || line[0] == L';') return;
  std::size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return;
  doc.SetiniValue(TrimSpaces(line.substr(0, eq)), Variant(std::wstring(TrimSpaces(line.substr(eq + 1)))));
}

std::vector<iniMente> LoadRecords(TextFastReadBinary& reader, FileSystem& fs) {
  std::vector<iniMente> items;
  items.reserve((reader.RecordsLeft() + 2) / 3);
  while (!reader.EOFText()) {
    iniMente& doc = items.emplace_back(fs);
    doc.SetiniValue(L"iniMenteSubItem1", Variant(reader.InputLine()));
    doc.SetiniValue(L"iniMenteSubItem2", Variant(reader.InputLine()));
    std::wstring_view rest = reader.NextRecord();
    for (;;) {
      std::size_t end = rest.find(L"\r\n");
      StoreBodyLine(doc, rest.substr(0, end));
      if (end == std::wstring_view::npos) break;
      rest.remove_prefix(end + 2);
    }
  }
  return items;
}

}  // namespace

std::vector<iniMente> iniRecordLoader(const std::wstring& path, FileSystem& fs) {
  TextFastReadBinary reader(fs);
  if (!reader.LoadTextFile(path)) return {};
  return LoadRecords(reader, fs);
}

std::vector<iniMente> iniRecordLoaderFromText(std::wstring text) {
  TextFastReadBinary reader;
  reader.LoadText(std::move(text));
  return LoadRecords(reader, RealFileSystem());
}

}  // namespace iniMenteSub
