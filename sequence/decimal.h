// Doubles to decimal digits and back, exactly, in whole-number arithmetic.
// No C runtime or library reader is trusted: the 32-bit ones misround, and
// the library's shortest writer brings about 170 KB into every program.
// Portable.
#pragma once

#include <string>
#include <string_view>

namespace sequence::decimal {

// A positive decimal: 0.d1d2d3... times 10 to the power `point`.
struct Digits {
  std::string digits;  // no leading or trailing zero
  int point = 0;
};

// The fewest digits whose value reads back as a (finite, above 0); of
// those, the nearest to a, a tie to an even last digit.
Digits Shortest(double a);

// The exact digits of a whole a (finite, at least 1).
std::string WholeDigits(double a);

// digits (decimal digits only, leading zeros allowed) times 10 to the power
// exponent, rounded to the nearest double, a tie to the even one: 0 below
// half the least double, infinity from halfway past the largest.
double Nearest(std::string_view digits, long long exponent);

}  // namespace sequence::decimal
