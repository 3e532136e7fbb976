#include "sequence/decimal.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace sequence::decimal {

namespace {

// A whole number of any size, in 32-bit limbs: just the operations the two
// conversions need.
class Natural {
 public:
  explicit Natural(std::uint64_t v = 0) {
    for (; v != 0; v >>= 32) limbs_.push_back(static_cast<std::uint32_t>(v));
  }

  // this * m + add; m above 0.
  Natural& MultiplyAdd(std::uint32_t m, std::uint32_t add = 0) {
    std::uint64_t carry = add;
    for (std::uint32_t& limb : limbs_) {
      carry += static_cast<std::uint64_t>(limb) * m;
      limb = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    return *this;
  }

  Natural& MultiplyPow10(int n) {
    for (; n >= 9; n -= 9) MultiplyAdd(1000000000);
    std::uint32_t rest = 1;
    for (; n > 0; --n) rest *= 10;
    return MultiplyAdd(rest);
  }

  Natural& ShiftLeft(int bits) {
    if (limbs_.empty()) return *this;
    if (const int part = bits % 32; part != 0) {
      std::uint32_t carry = 0;
      for (std::uint32_t& limb : limbs_) {
        const std::uint32_t out = limb >> (32 - part);
        limb = (limb << part) | carry;
        carry = out;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), static_cast<std::size_t>(bits / 32), 0);
    return *this;
  }

  Natural& Add(const Natural& b) {
    limbs_.resize(std::max(limbs_.size(), b.limbs_.size()), 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      carry += static_cast<std::uint64_t>(limbs_[i]) + (i < b.limbs_.size() ? b.limbs_[i] : 0);
      limbs_[i] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    return *this;
  }

  // this - b; b not above this.
  Natural& Subtract(const Natural& b) {
    std::uint32_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::uint64_t take = static_cast<std::uint64_t>(i < b.limbs_.size() ? b.limbs_[i] : 0) + borrow;
      borrow = limbs_[i] < take ? 1 : 0;
      limbs_[i] = static_cast<std::uint32_t>(limbs_[i] - take);
    }
    Trim();
    return *this;
  }

  // this / d, giving the remainder.
  std::uint32_t DivideSmall(std::uint32_t d) {
    std::uint64_t rest = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
      rest = rest << 32 | limbs_[i];
      limbs_[i] = static_cast<std::uint32_t>(rest / d);
      rest %= d;
    }
    Trim();
    return static_cast<std::uint32_t>(rest);
  }

  bool IsZero() const { return limbs_.empty(); }

  int BitLength() const {
    return limbs_.empty() ? 0 : static_cast<int>(32 * (limbs_.size() - 1)) + std::bit_width(limbs_.back());
  }

  friend int Compare(const Natural& a, const Natural& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (std::size_t i = a.limbs_.size(); i-- > 0;)
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    return 0;
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<std::uint32_t> limbs_;  // least significant first; none zero on top
};

constexpr int kSignificandBits = 52;  // stored; one more is implied in a normal double
constexpr std::uint64_t kImplied = std::uint64_t{1} << kSignificandBits;
constexpr int kLeastExponent = -1074;  // of the last significand bit of a subnormal

// a as significand * 2^exponent, the significand whole.
struct Binary {
  std::uint64_t significand;
  int exponent;
};

Binary BinaryOf(double a) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
  const int biased = static_cast<int>(bits >> kSignificandBits);
  const std::uint64_t fraction = bits & (kImplied - 1);
  if (biased == 0) return {fraction, kLeastExponent};
  return {fraction | kImplied, biased + kLeastExponent - 1};
}

}  // namespace

// Free-format digit generation on exact numbers: a is r/s, and the values
// that read back as a run from (r - below)/s to (r + above)/s, the ends
// included when the significand is even (a tie reads to the even one).
Digits Shortest(double a) {
  const auto [significand, exponent] = BinaryOf(a);
  const bool even = significand % 2 == 0;
  // Just above a power of two the next double down is half as far as the
  // next one up.
  const bool lopsided = significand == kImplied && exponent > kLeastExponent;
  const int up = std::max(exponent, 0), down = std::max(-exponent, 0);
  Natural r(significand), s(1), below(1), above(1);
  r.ShiftLeft(up + (lopsided ? 2 : 1));
  s.ShiftLeft(down + (lopsided ? 2 : 1));
  below.ShiftLeft(up);
  above.ShiftLeft(up + (lopsided ? 1 : 0));

  // The power of ten just above the interval: first estimated from the
  // binary exponent (never too high), then raised until it is.
  const int log2 = exponent + std::bit_width(significand) - 1;
  int point = static_cast<int>(std::ceil(log2 * 0.30102999566398119521 - 1e-10));
  if (point >= 0) {
    s.MultiplyPow10(point);
  } else {
    r.MultiplyPow10(-point);
    below.MultiplyPow10(-point);
    above.MultiplyPow10(-point);
  }
  const auto reachesUp = [&] {
    Natural high = r;
    const int c = Compare(high.Add(above), s);
    return even ? c >= 0 : c > 0;
  };
  while (reachesUp()) {
    s.MultiplyAdd(10);
    ++point;
  }

  Digits out{{}, point};
  for (;;) {
    r.MultiplyAdd(10);
    below.MultiplyAdd(10);
    above.MultiplyAdd(10);
    int digit = 0;
    for (; Compare(r, s) >= 0; ++digit) r.Subtract(s);
    const int c = Compare(r, below);
    const bool low = even ? c <= 0 : c < 0;  // the digits so far already read back as a
    bool high = reachesUp();                  // so does the next digit up
    if (!low && !high) {
      out.digits += static_cast<char>('0' + digit);
      continue;
    }
    if (low && high) {  // both: the nearer, a tie to even
      Natural twice = r;
      const int half = Compare(twice.ShiftLeft(1), s);
      high = half > 0 || (half == 0 && digit % 2 != 0);
    }
    out.digits += static_cast<char>('0' + digit + (high ? 1 : 0));
    return out;
  }
}

std::string WholeDigits(double a) {
  const auto [significand, exponent] = BinaryOf(a);
  Natural n(significand);
  if (exponent >= 0) {
    n.ShiftLeft(exponent);
  } else {
    for (int i = 0; i < -exponent; ++i) n.DivideSmall(2);  // a is whole: only zero bits go
  }
  std::string digits;
  do digits.insert(digits.begin(), static_cast<char>('0' + n.DivideSmall(10)));
  while (!n.IsZero());
  return digits;
}

double Nearest(std::string_view digits, long long exponent) {
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return 0;
  digits.remove_prefix(first);
  // No value halfway between two doubles has more than 800 significant
  // digits: past them only whether a digit is not zero counts, and a 1 in
  // their stead keeps the value on the same side of every halfway point.
  constexpr std::size_t kKept = 800;
  const std::size_t kept = std::min(digits.size(), kKept);
  Natural num;
  for (std::size_t i = 0; i < kept; ++i) num.MultiplyAdd(10, static_cast<std::uint32_t>(digits[i] - '0'));
  long long count = static_cast<long long>(kept);
  exponent += static_cast<long long>(digits.size() - kept);
  if (digits.find_first_not_of('0', kept) != std::string_view::npos) {
    num.MultiplyAdd(10, 1);
    ++count;
    --exponent;
  }
  // Below 10^-324 is under half the least double; from 10^309 past the largest.
  if (count + exponent <= -324) return 0;
  if (count - 1 + exponent >= 309) return std::numeric_limits<double>::infinity();

  // The value is num / den.
  Natural den(1);
  if (exponent >= 0) {
    num.MultiplyPow10(static_cast<int>(exponent));
  } else {
    den.MultiplyPow10(static_cast<int>(-exponent));
  }
  // Its power of two, 2^log2 <= num / den < 2^(log2 + 1): the bit lengths
  // tell it within one.
  int log2 = num.BitLength() - den.BitLength();
  {
    Natural n = num, d = den;
    n.ShiftLeft(std::max(-log2, 0));
    d.ShiftLeft(std::max(log2, 0));
    if (Compare(n, d) < 0) --log2;
  }
  // The significand's last bit: 53 bits before the point, fewer below the
  // normal range.
  const int exponent2 = std::max(log2 - kSignificandBits, kLeastExponent);
  if (exponent2 >= 0) {
    den.ShiftLeft(exponent2);
  } else {
    num.ShiftLeft(-exponent2);
  }
  // Long division, one bit a step (the quotient has at most 53); num is
  // doubled instead of the divisor halved, which leaves twice the remainder
  // scaled as `part` at the end.
  Natural part = den;
  part.ShiftLeft(kSignificandBits);
  std::uint64_t q = 0;
  for (int bit = kSignificandBits; bit >= 0; --bit) {
    if (Compare(num, part) >= 0) {
      num.Subtract(part);
      q |= std::uint64_t{1} << bit;
    }
    num.ShiftLeft(1);
  }
  const int half = Compare(num, part);
  if (half > 0 || (half == 0 && q % 2 != 0)) ++q;
  // The biased exponent is one below the field for a normal q, whose
  // implied bit adds the one (a carry to 2^53 moves into the exponent
  // alike); a subnormal's field is 0.
  const std::uint64_t bits = (static_cast<std::uint64_t>(exponent2 - kLeastExponent) << kSignificandBits) + q;
  constexpr std::uint64_t kInfinity = std::uint64_t{0x7FF} << kSignificandBits;
  return std::bit_cast<double>(std::min(bits, kInfinity));
}

}  // namespace sequence::decimal
