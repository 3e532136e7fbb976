// LoadSequence from the bytes of a sequence file: it keeps exactly the items
// whose NoUse is no number other than 0, takes each title without its date
// prefix, and turns Size into a show state as the C library reads the number.
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <set>

#include "fuzz/fuzz_support.h"
#include "ini/ini_mente_sub.h"
#include "sequencer/startup.h"

namespace {

// What a number field gives: the number when it is one; nullopt for text
// that is not, or when unsure (the item's outcome is then not checked).
struct Field {
  bool sure = true;
  std::optional<double> number;
};

Field NumberField(const iniMente& doc, std::wstring_view name) {
  Variant v = doc.GetiniValue(name, Variant());
  if (v.IsNothing()) return {true, std::nullopt};
  fuzz::Decimal d = fuzz::DecimalNumber(v.ToString());
  if (d.kind == fuzz::Decimal::Unsure) return {false, std::nullopt};
  if (d.kind == fuzz::Decimal::NotNumber) return {true, std::nullopt};
  return {true, d.value};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = L"Startup.pmw";
  fuzz::OneFileSystem fs(path, std::string(fuzz::Bytes(data, size)));
  const int n = Startup::LoadSequence(path, fs);
  FUZZ_CHECK(n >= 0 && static_cast<std::size_t>(n) == Startup::SequenceItems.size());

  const std::vector<iniMente> docs = iniMenteSub::iniRecordLoaderFromText(text::FromAnsi(fuzz::Bytes(data, size)));
  std::set<std::wstring> keys;
  std::size_t next = 0;
  for (const iniMente& doc : docs) {
    Field noUse = NumberField(doc, L"NoUse");
    if (!noUse.sure) return 0;  // which items follow is then not known here
    if (noUse.number && *noUse.number != 0) continue;
    FUZZ_CHECK(next < Startup::SequenceItems.size());
    const Startup::SequenceItem& item = Startup::SequenceItems[next++];

    const std::wstring header = doc.GetiniValue(L"iniMenteSubItem1", Variant(L"")).ToString();
    FUZZ_CHECK(item.Title.size() <= header.size());
    FUZZ_CHECK(header.compare(header.size() - item.Title.size(), std::wstring::npos, item.Title) == 0);
    FUZZ_CHECK(item.File == doc.GetiniValue(L"File", Variant(L"")).ToString());

    Field size = NumberField(doc, L"Size");
    if (size.sure) {
      int want = 0;
      if (size.number) {
        double r = std::nearbyint(*size.number);  // the default rounding: half to even
        want = r < -32768 || r > 32767 ? -1 : static_cast<int>(r);
      }
      FUZZ_CHECK(item.Size == want);
    }
    FUZZ_CHECK(item.Key.size() == 18 && item.Key.compare(0, 3, L"Key") == 0);
    FUZZ_CHECK(keys.insert(item.Key).second);
  }
  FUZZ_CHECK(next == Startup::SequenceItems.size());
  return 0;
}
