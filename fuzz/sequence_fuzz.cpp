// A sequence file's bytes, through the record reader, the record loader and
// LoadSequence: the records handed out rebuild the text, the loader makes one
// item per three records, and LoadSequence keeps exactly the items whose
// NoUse is no number other than 0, takes each title without its date prefix,
// and turns Size into a show state as the C library reads the number.
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <set>

#include "fuzz/fuzz_support.h"
#include "ini/ini_mente_sub.h"
#include "ini/text_fast_read_binary.h"
#include "sequencer/startup.h"

namespace {

// What a number field gives: the number when it is one; nullopt for text
// that is not (a missing field included), or when unsure (the item's
// outcome is then not checked).
struct Field { bool sure; std::optional<double> number; };

Field NumberField(const iniMente& doc, std::wstring_view name) {
  const fuzz::Decimal d = fuzz::DecimalNumber(doc.GetiniValue(name, Variant()).ToString());
  return {d.kind != fuzz::Decimal::Unsure, d.kind == fuzz::Decimal::Number ? std::optional(d.value) : std::nullopt};
}

// The records the reader hands out, by whichever call the bytes choose; the
// lines GetOneLine gives are joined back into their record.
std::vector<std::wstring> ReadRecords(const std::wstring& text, const std::uint8_t* data, std::size_t size) {
  TextFastReadBinary reader;
  reader.LoadText(text);
  const std::size_t count = reader.RecordsLeft();
  FUZZ_CHECK(reader.EOFText() == (count == 0));
  std::vector<std::wstring> records;
  while (!reader.EOFText()) {
    const std::size_t way = (size ? data[records.size() % size] : 0) % 3;
    if (way == 0) records.push_back(reader.InputLine());
    else if (way == 1) records.emplace_back(reader.NextRecord());
    else {
      std::optional<std::vector<std::wstring>> lines = reader.GetOneLine();
      FUZZ_CHECK(lines.has_value());
      std::wstring joined;
      for (std::size_t k = 0; k < lines->size(); ++k) joined += (k ? L"\r\n" : L"") + (*lines)[k];
      records.push_back(joined);
    }
    FUZZ_CHECK(records.back().find(L'\x01') == std::wstring::npos);
    FUZZ_CHECK(reader.RecordsLeft() == count - records.size());
  }
  FUZZ_CHECK(records.size() == count);
  FUZZ_CHECK(reader.InputLine().empty() && !reader.GetOneLine().has_value());
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = text::FromAnsi(fuzz::Bytes(data, size));

  // The records joined by the separator are the text, less one final separator.
  const std::vector<std::wstring> records = ReadRecords(text, data, size);
  std::wstring rebuilt;
  for (std::size_t i = 0; i < records.size(); ++i) rebuilt += (i ? L"\x01" : L"") + records[i];
  FUZZ_CHECK(rebuilt == text || rebuilt + L'\x01' == text);

  // Three records an item, the last one cut short as it may be, each led by
  // its two title records (unless its body sets them itself).
  const std::vector<iniMente> docs = iniMenteSub::iniRecordLoaderFromText(text);
  FUZZ_CHECK(docs.size() == (records.size() + 2) / 3);
  auto record = [&](std::size_t i) { return i < records.size() ? records[i] : std::wstring(); };
  for (std::size_t k = 0; k < docs.size(); ++k) {
    FUZZ_CHECK(docs[k].LastIndex() >= 1);
    const bool bodySetsTitles = text::ToLower(record(3 * k + 2)).find(L"inimentesubitem") != std::wstring::npos;
    for (std::ptrdiff_t r = 0; r < 2; ++r) {
      FUZZ_CHECK(docs[k].ItemNameAt(r) == (r ? L"iniMenteSubItem2" : L"iniMenteSubItem1"));
      FUZZ_CHECK(bodySetsTitles || docs[k].ItemValueAt(r) == Variant(record(3 * k + r)));
    }
  }

  const std::wstring path = L"Startup.pmw";
  fake::FileSystem fs;
  fs.files[path] = fuzz::Bytes(data, size);
  const std::vector<Startup::SequenceItem> items = Startup::LoadSequence(path, fs).Items;

  std::set<std::wstring> keys;
  std::size_t next = 0;
  for (const iniMente& doc : docs) {
    Field noUse = NumberField(doc, L"NoUse");
    if (!noUse.sure) return 0;  // which items follow is then not known here
    if (noUse.number && *noUse.number != 0) continue;
    FUZZ_CHECK(next < items.size());
    const Startup::SequenceItem& item = items[next++];

    const std::wstring header = doc.GetiniValue(L"iniMenteSubItem1", Variant(L"")).ToString();
    FUZZ_CHECK(header.ends_with(item.Title));
    FUZZ_CHECK(item.File == doc.GetiniValue(L"File", Variant(L"")).ToString());

    Field size = NumberField(doc, L"Size");
    const double r = size.number ? std::nearbyint(*size.number) : 0;  // the default rounding: half to even
    if (size.sure) FUZZ_CHECK(item.Size == (r < -32768 || r > 32767 ? -1 : static_cast<int>(r)));
    FUZZ_CHECK(keys.insert(item.Key).second);
  }
  FUZZ_CHECK(next == items.size());
  return 0;
}
