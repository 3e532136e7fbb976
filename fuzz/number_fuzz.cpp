// The numbers users write into the sequence and settings files (Size, NoUse,
// the four settings) are read by Variant::ToNumber: it must agree with the C
// library on every decimal text, and every number's text form reads back as
// the same number.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = text::FromAnsi(fuzz::Bytes(data, size));
  const std::optional<double> got = Variant(text).ToNumber();
  const fuzz::Decimal want = fuzz::DecimalNumber(text);
  if (want.kind == fuzz::Decimal::NotNumber) {
    if (got) std::fprintf(stderr, "[%s] read as %g\n", text::ToUtf8(text).c_str(), *got);
    FUZZ_CHECK(!got);
  }
  if (want.kind == fuzz::Decimal::Number) {
    FUZZ_CHECK(got);
    FUZZ_CHECK(*got == want.value);
  }

  // The text form of a number reads back exactly.
  if (size >= sizeof(double)) {
    double d;
    std::memcpy(&d, data, sizeof d);
    if (std::isfinite(d)) {
      std::optional<double> back = Variant(Variant(d).ToString()).ToNumber();
      FUZZ_CHECK(back && *back == d && std::signbit(*back) == std::signbit(d));
    }
  }
  return 0;
}
