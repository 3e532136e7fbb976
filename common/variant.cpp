#include "common/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The shortest decimal text that reads back as d, as std::to_chars(d) writes
// it (plain or with an exponent, whichever is shorter, plain on a tie), made
// with printf and from_chars: the library's own shortest conversion brings about
// 170 KB of tables and code into every program that shows a number.
std::string ShortestText(double d) {
  if (std::isnan(d)) return std::signbit(d) ? "-nan" : "nan";
  if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
  if (d == 0) return std::signbit(d) ? "-0" : "0";
  const double a = std::fabs(d);
  std::string digits;
  int exponent = 0;  // of the first digit
  char buf[48];
  for (int n = 1; n <= 17 && digits.empty(); ++n) {
    // The nearest n-digit decimal; near a power of two the values that read
    // back as a are lopsided around it, and a neighbour of the nearest may
    // read back where the nearest does not.
    std::snprintf(buf, sizeof buf, "%.*e", n - 1, a);
    const char* e = std::strchr(buf, 'e');
    std::string nearest(static_cast<const char*>(buf), e);
    if (nearest.size() > 1) nearest.erase(1, 1);  // the point
    const int exp = std::atoi(e + 1);
    const long long m = std::atoll(nearest.c_str());
    for (long long candidate : {m, m - 1, m + 1}) {
      const int written = std::snprintf(buf, sizeof buf, "%llde%d", candidate, exp - (n - 1));
      // Read back as ToNumber reads (strtod misrounds some under mingw); seventeen
      // digits always tell a double, whatever a reader says.
      double back = 0;
      std::from_chars(buf, buf + written, back);
      if (back != a && n < 17) continue;
      digits = std::to_string(candidate);
      exponent = exp + static_cast<int>(digits.size()) - n;  // a carry or a borrow moves the first digit
      break;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int count = static_cast<int>(digits.size());
  std::string plain;
  if (exponent >= count - 1) {
    // A whole number past the digits that tell it: plain, its exact digits, as
    // the library writes them; past 23 digits only its length counts, as the
    // exponent form (at most 23 characters) is then shorter.
    if (exponent < 23) std::snprintf(buf, sizeof buf, "%.0f", a);
    plain = exponent < 23 ? std::string(buf) : std::string(static_cast<size_t>(exponent) + 1, '0');
  } else if (exponent >= 0) {
    plain = digits.substr(0, static_cast<size_t>(exponent) + 1) + "." + digits.substr(static_cast<size_t>(exponent) + 1);
  } else {
    plain = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  std::snprintf(buf, sizeof buf, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  const std::string scientific = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + buf;
  const std::string& shorter = plain.size() <= scientific.size() ? plain : scientific;
  return d < 0 ? "-" + shorter : shorter;
}

}  // namespace

bool Variant::IsEmpty() const {
  if (IsNothing()) return true;
  const auto* s = std::get_if<std::wstring>(&v_);
  return s && s->empty();
}

std::wstring Variant::ToString() const {
  switch (v_.index()) {
    case 1: return std::get<1>(v_);
    case 2: return std::to_wstring(std::get<2>(v_));
    case 3: return std::to_wstring(std::get<3>(v_));
    case 4: {
      const std::string s = ShortestText(std::get<4>(v_));
      return std::wstring(s.begin(), s.end());
    }
    case 5: return std::get<5>(v_) ? L"True" : L"False";
    default: return {};
  }
}

std::optional<double> Variant::ToNumber() const {
  switch (v_.index()) {
    case 2: return std::get<2>(v_);
    case 3: return std::get<3>(v_);
    case 4: return std::get<4>(v_);
    case 5: return std::get<5>(v_) ? -1.0 : 0.0;
    case 1: break;
    default: return std::nullopt;
  }
  const std::wstring& s = std::get<1>(v_);
  size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return std::nullopt;
  size_t e = s.find_last_not_of(L" \t") + 1;
  std::string ascii;
  ascii.reserve(e - b);
  for (size_t i = b; i < e; ++i) {
    if (s[i] > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(s[i]));
  }
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  // from_chars takes no plus sign; skipping it must not let a second sign in.
  if (*first == '+' && ++first != last && *first == '-') return std::nullopt;
  double d = 0;
  auto r = std::from_chars(first, last, d, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
  return d;
}
