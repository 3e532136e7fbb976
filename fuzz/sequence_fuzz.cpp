// A sequence file's bytes, through the record loader and LoadSequence: one
// item per three records, the items whose NoUse is no number other than 0,
// titles without their date, Size read as the C library reads a number.
#include <cfenv>
#include <cmath>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "ini/sequence_records.h"
#include "sequence/sequence_file.h"

namespace {

// What a number field gives: the number when it is one; nullopt for text
// that is not (a missing field included), or when unsure (the item's
// outcome is then not checked).
struct Field { bool sure; std::optional<double> number; };

Field NumberField(const IniDocument& doc, std::wstring_view name) {
  const fuzz::Decimal d = fuzz::DecimalNumber(doc.Value(name).value_or(L""));
  return {d.kind != fuzz::Decimal::Unsure, d.kind == fuzz::Decimal::Number ? std::optional(d.value) : std::nullopt};
}

// The records of the text: the stretches between separators, one final
// separator giving no empty record after it.
std::vector<std::wstring> SplitRecords(std::wstring_view text) {
  std::vector<std::wstring> records;
  if (text.empty()) return records;
  if (text.back() == L'\x01') text.remove_suffix(1);
  for (;;) {
    const std::size_t sep = text.find(L'\x01');
    records.emplace_back(text.substr(0, sep));
    if (sep == std::wstring_view::npos) return records;
    text.remove_prefix(sep + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = text::FromAnsi(fuzz::Bytes(data, size));

  const std::vector<std::wstring> records = SplitRecords(text);

  // Three records an item, the last one cut short as it may be, the first
  // two kept whole.
  fake::FileSystem fs;
  fs.files[L"Startup.pmw"] = fuzz::Bytes(data, size);
  const std::vector<records::Item> docs = records::FromText(text, fs);
  FUZZ_CHECK(docs.size() == records::Load(L"Startup.pmw", fs).size());
  FUZZ_CHECK(docs.size() == (records.size() + 2) / 3);
  auto record = [&](std::size_t i) { return i < records.size() ? records[i] : std::wstring(); };
  for (std::size_t k = 0; k < docs.size(); ++k)
    FUZZ_CHECK(docs[k].title == record(3 * k) && docs[k].second == record(3 * k + 1));

  const std::vector<sequence::SequenceItem> items = sequence::LoadSequence(L"Startup.pmw", fs, NumberSeparators{}).items;

  std::size_t next = 0;
  for (const records::Item& records : docs) {
    const IniDocument& doc = records.body;
    Field noUse = NumberField(doc, L"NoUse");
    if (!noUse.sure) return 0;  // which items follow is then not known here
    if (noUse.number && *noUse.number != 0) continue;
    FUZZ_CHECK(next < items.size());
    const sequence::SequenceItem& item = items[next++];

    FUZZ_CHECK(records.title.ends_with(item.title));
    FUZZ_CHECK(item.file == doc.Value(L"File").value_or(L""));

    Field size = NumberField(doc, L"Size");
    const double r = size.number ? std::nearbyint(*size.number) : 0;  // the default rounding: half to even
    if (size.sure) FUZZ_CHECK(item.show == (r < -32768 || r > 32767 ? -1 : static_cast<int>(r)));
  }
  FUZZ_CHECK(next == items.size());
  return 0;
}
