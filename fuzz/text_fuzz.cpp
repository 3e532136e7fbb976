// The code-page conversion and the numbers read from its text: valid text
// round-trips, invalid input is replaced (never dropped), case-blind equality
// is an equivalence, and numbers read as the C library reads them and back.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "sequence/sequence_file.h"

namespace {

bool IsScalar(wchar_t c) { return c >= 0 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Bytes(data, size);

  // Bytes to text: every character valid, at most one per byte, and text
  // without replacement characters writes back to exactly the same bytes.
  const std::wstring wide = text::FromAnsi(bytes);
  FUZZ_CHECK(wide.size() <= bytes.size() && bytes.empty() == wide.empty());
  for (wchar_t c : wide) FUZZ_CHECK(IsScalar(c));
  if (wide.find(L'\xFFFD') == std::wstring::npos) FUZZ_CHECK(text::ToAnsi(wide) == bytes);
  FUZZ_CHECK(text::FromUtf8(bytes) == wide);  // the locale's set is UTF-8 here

  // Text to bytes: valid characters read back unchanged; each invalid one
  // becomes one '?'.
  const std::wstring units = fuzz::Utf16Units(bytes);
  const std::string ansi = text::ToAnsi(units);
  const std::wstring back = text::FromAnsi(ansi);
  FUZZ_CHECK(back.size() == units.size());
  for (std::size_t i = 0; i < units.size(); ++i) FUZZ_CHECK(back[i] == (IsScalar(units[i]) ? units[i] : L'?'));
  FUZZ_CHECK(text::ToUtf8(units) == ansi);

  // Lower case keeps the length; equality without case is reflexive and
  // symmetric and agrees with comparing the lower-cased texts.
  const std::wstring lower = text::ToLower(units);
  FUZZ_CHECK(lower.size() == units.size());
  FUZZ_CHECK(text::EqualsNoCase(units, lower) && text::EqualsNoCase(lower, units));
  const std::size_t half = units.size() / 2;
  const std::wstring_view a(units.data(), half), b(units.data() + half, units.size() - half);
  FUZZ_CHECK(text::EqualsNoCase(a, b) == text::EqualsNoCase(b, a));
  FUZZ_CHECK(text::EqualsNoCase(a, b) == (text::ToLower(a) == text::ToLower(b)));

  // The numbers users write (Size, NoUse, the four settings).
  const std::optional<double> got = sequence::ParseNumber(wide);
  const fuzz::Decimal want = fuzz::DecimalNumber(wide);
  if (want.kind == fuzz::Decimal::NotNumber) FUZZ_CHECK(!got);
  if (want.kind == fuzz::Decimal::Number) FUZZ_CHECK(got && *got == want.value);
  if (size >= sizeof(double)) {
    double d;
    std::memcpy(&d, data, sizeof d);
    if (std::isfinite(d)) {
      std::optional<double> read = sequence::ParseNumber(sequence::NumberText(d));
      FUZZ_CHECK(read && *read == d && std::signbit(*read) == std::signbit(d));
      char shortest[64];
      const auto written = std::to_chars(shortest, shortest + sizeof shortest, d);
      FUZZ_CHECK(sequence::NumberText(d) == std::wstring(shortest, written.ptr));
    }
  }
  return 0;
}
