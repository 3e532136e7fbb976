#include "common/variant.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

TEST(Variant, EmptinessTellsNothingFromEmptyText) {
  EXPECT_TRUE(Variant().IsNothing() && Variant().IsEmpty());
  EXPECT_TRUE(!Variant(L"").IsNothing() && Variant(L"").IsEmpty());
  EXPECT_FALSE(Variant(L" ").IsEmpty() || Variant(std::int16_t{0}).IsEmpty());
  EXPECT_NE(Variant(), Variant(L""));
}

TEST(Variant, ToStringWritesPlainDecimal) {
  struct Case { Variant v; const wchar_t* text; };
  const Case cases[] = {
      {Variant(std::int16_t{-1}), L"-1"}, {Variant(std::int32_t{10000}), L"10000"}, {Variant(199.5), L"199.5"},
      {Variant(200.0), L"200"}, {Variant(true), L"True"}, {Variant(), L""}};
  for (const auto& c : cases) EXPECT_EQ(c.v.ToString(), c.text);
}

// The library's shortest conversion is the yardstick, on the values whose
// shortest digits are hard to find and on random ones.
TEST(Variant, DoublesAreWrittenAsTheLibrarysShortestText) {
  std::vector<double> values = {0.1, 1.0 / 3, 2.0 / 3, 1e23, 9007199254740993.0, 123456789012345680000.0,
                                1e21, 1e22, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                                0.001, 0.0001, 1e-5, 123456.0, 1234567.0, 100.0, 0.30000000000000004, -0.0, -7.5};
  for (int e = -1074; e <= 1023; ++e) values.push_back(std::ldexp(1.0, e));  // powers of two: lopsided neighbours
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (std::isfinite(d)) values.push_back(d);
  }
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<double>(random() % 100000) / 100);  // as users write them
  for (double d : values) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    ASSERT_EQ(Variant(d).ToString(), std::wstring(buf, r.ptr)) << std::string(buf, r.ptr);
  }
}

TEST(Variant, ToNumberReadsDecimalText) {
  struct Case { const wchar_t* text; std::optional<double> n; };
  const Case cases[] = {
      {L"0", 0.0}, {L" 30 ", 30.0}, {L"-5", -5.0}, {L"+2.5", 2.5}, {L"1e3", 1000.0},
      {L"", std::nullopt}, {L"  ", std::nullopt}, {L"abc", std::nullopt},
      {L"12abc", std::nullopt}, {L"\xFF11", std::nullopt},
      {L"+-5", std::nullopt}, {L"++5", std::nullopt}, {L"+", std::nullopt},  // one sign at most
  };
  for (const auto& c : cases) EXPECT_EQ(Variant(c.text).ToNumber(), c.n) << testing::PrintToString(std::wstring(c.text));
  EXPECT_EQ(Variant().ToNumber(), std::nullopt);
  EXPECT_EQ(Variant(std::int16_t{6}).ToNumber(), 6.0);
  EXPECT_EQ(Variant(true).ToNumber(), -1.0);
}

}  // namespace
