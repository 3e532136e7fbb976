#include "variant.h"

#include <gtest/gtest.h>

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
