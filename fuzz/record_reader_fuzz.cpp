// The record reader and the record loader, from the text of a sequence file:
// the records handed out rebuild the text, the loader makes ceil(records / 3)
// documents, and each document holds the title records and the body's keys.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ini/ini_mente_sub.h"
#include "ini/text_fast_read_binary.h"

namespace {

constexpr wchar_t kSeparator = L'\x0001';

std::vector<std::wstring> Split(std::wstring_view s, std::wstring_view by) {
  std::vector<std::wstring> parts;
  for (;;) {
    std::size_t at = s.find(by);
    parts.emplace_back(s.substr(0, at));
    if (at == std::wstring_view::npos) return parts;
    s.remove_prefix(at + by.size());
  }
}

std::vector<std::wstring> Records(std::wstring_view text) {
  if (text.empty()) return {};
  if (text.back() == kSeparator) text.remove_suffix(1);
  return Split(text, std::wstring_view(&kSeparator, 1));
}

std::wstring Join(const std::vector<std::wstring>& parts, std::wstring_view by) {
  std::wstring out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out += by;
    out += parts[i];
  }
  return out;
}

std::wstring Trim(std::wstring_view s) {
  std::size_t b = s.find_first_not_of(L' ');
  if (b == std::wstring_view::npos) return {};
  return std::wstring(s.substr(b, s.find_last_not_of(L' ') - b + 1));
}

struct Entry {
  std::wstring name;
  Variant value;
};

// The document an item should give: the two title records, then each key
// line of the body set as SetiniValue does (first name in any case replaced,
// "*REM*" always appended).
std::vector<Entry> ExpectedItem(const std::wstring& title, const std::wstring& second, const std::wstring& body) {
  std::vector<Entry> doc{{L"iniMenteSubItem1", Variant(title)}, {L"iniMenteSubItem2", Variant(second)}};
  for (const std::wstring& line : Split(body, L"\r\n")) {
    if (line.empty() || line[0] == L'#' || line[0] == L';') continue;
    std::size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) continue;
    Entry e{Trim(std::wstring_view(line).substr(0, eq)), Variant(Trim(std::wstring_view(line).substr(eq + 1)))};
    bool replaced = false;
    if (e.name != L"*REM*") {
      for (Entry& d : doc) {
        if (text::EqualsNoCase(d.name, e.name)) {
          d.value = e.value;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) doc.push_back(e);
  }
  return doc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = text::FromAnsi(fuzz::Bytes(data, size));
  const std::vector<std::wstring> records = Records(text);

  // The reader hands out exactly those records, by whichever call.
  TextFastReadBinary reader;
  reader.LoadText(text);
  FUZZ_CHECK(reader.RecordsLeft() == records.size());
  FUZZ_CHECK(reader.EOFText() == records.empty());
  for (std::size_t i = 0; i < records.size(); ++i) {
    FUZZ_CHECK(!reader.EOFText());
    switch ((size ? data[i % size] : 0) % 3) {
      case 0: FUZZ_CHECK(reader.InputLine() == records[i]); break;
      case 1: FUZZ_CHECK(reader.NextRecord() == records[i]); break;
      default: {
        std::optional<std::vector<std::wstring>> lines = reader.GetOneLine();
        FUZZ_CHECK(lines.has_value());
        FUZZ_CHECK(lines->empty() == records[i].empty());
        FUZZ_CHECK(Join(*lines, L"\r\n") == records[i]);
      }
    }
    FUZZ_CHECK(reader.RecordsLeft() == records.size() - i - 1);
  }
  FUZZ_CHECK(reader.EOFText());
  FUZZ_CHECK(reader.InputLine().empty());
  FUZZ_CHECK(!reader.GetOneLine().has_value());
  FUZZ_CHECK(reader.RecordsLeft() == 0);
  if (!records.empty()) FUZZ_CHECK(Join(records, std::wstring(1, kSeparator)) + kSeparator == text ||
                                   Join(records, std::wstring(1, kSeparator)) == text);

  // Three records per item, the last one cut short as it may be.
  std::vector<iniMente> items = iniMenteSub::iniRecordLoaderFromText(text);
  FUZZ_CHECK(items.size() == (records.size() + 2) / 3);
  for (std::size_t k = 0; k < items.size(); ++k) {
    auto record = [&](std::size_t i) { return i < records.size() ? records[i] : std::wstring(); };
    std::vector<Entry> want = ExpectedItem(record(3 * k), record(3 * k + 1), record(3 * k + 2));
    const iniMente& doc = items[k];
    FUZZ_CHECK(doc.LastIndex() + 1 == static_cast<std::ptrdiff_t>(want.size()));
    for (std::size_t i = 0; i < want.size(); ++i) {
      FUZZ_CHECK(doc.ItemNameAt(static_cast<std::ptrdiff_t>(i)) == want[i].name);
      FUZZ_CHECK(doc.ItemValueAt(static_cast<std::ptrdiff_t>(i)) == want[i].value);
    }
  }
  return 0;
}
