// Shared pieces of the fuzz targets: turning the fuzzer's bytes into the
// inputs the parsers see, the tests' in-memory file system, and a check that
// stops the run with a report (libFuzzer then keeps the input that broke it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "common/tests/support/fakes.h"

// A property that must hold for every input; a failure aborts, so the fuzzer
// saves the input as a crash.
#define FUZZ_CHECK(cond) \
  do if (!(cond)) std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond), std::abort(); while (0)

namespace fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Wide text as Windows holds it: consecutive little-endian 16-bit units, any
// value (lone surrogates and NUL included); an odd last byte is dropped.
inline std::wstring Utf16Units(std::string_view bytes) {
  std::wstring w;
  w.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    w += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                              (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return w;
}

// The number a text holds, worked out with the C library instead of the
// files' own parser (sequence::ParseNumber): blanks and tabs around a decimal number with an
// optional sign, no hexadecimal. Unsure where strtod reports a range error
// (there the two may differ by design), or the spelling of inf or nan.
struct Decimal { enum Kind { Number, NotNumber, Unsure } kind; double value = 0; };

inline Decimal DecimalNumber(std::wstring_view s) {
  std::size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring_view::npos) return {Decimal::NotNumber};
  std::size_t e = s.find_last_not_of(L" \t") + 1;
  std::string ascii;
  for (std::size_t i = b; i < e; ++i) {
    wchar_t c = s[i];
    if (c <= 0 || c > 0x7F || c == L'x' || c == L'X') return {Decimal::NotNumber};
    ascii.push_back(static_cast<char>(c));
  }
  const char c0 = ascii[0];
  if (c0 == '\n' || c0 == '\v' || c0 == '\f' || c0 == '\r') return {Decimal::NotNumber};  // strtod skips them
  for (char c : ascii)
    if (c == 'n' || c == 'N' || c == 'i' || c == 'I') return {Decimal::Unsure};
  errno = 0;
  char* end = nullptr;
  double d = std::strtod(ascii.c_str(), &end);
  if (end != ascii.c_str() + ascii.size()) return {Decimal::NotNumber};
  if (errno == ERANGE) return {Decimal::Unsure};
  return {Decimal::Number, d};
}

}  // namespace fuzz
