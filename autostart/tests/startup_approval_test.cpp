#include "autostart/startup_approval.h"

#include <gtest/gtest.h>

namespace {

std::optional<std::string> B(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s += static_cast<char>(b);
  return s;
}

TEST(Approval, LowestBitOfTheFirstByteSwitchesOff) {
  struct Case { std::optional<std::string> bytes; bool enabled; } cases[] = {
      {std::nullopt, true}, {B({}), true}, {B({0x02, 0, 0, 0}), true},
      {B({0x03}), false}, {B({0x07, 1, 2}), false}};
  for (const Case& c : cases) EXPECT_EQ(autostart::IsEnabled(c.bytes), c.enabled) << (c.bytes ? c.bytes->size() : 99);
}

TEST(Approval, SwitchingOffKeepsTheMiddleBytesAndStampsTheTime) {
  const std::uint64_t t = 0x01D9A1B2C3D4E5F6ull;
  const std::string stamp = *B({0xF6, 0xE5, 0xD4, 0xC3, 0xB2, 0xA1, 0xD9, 0x01});
  struct Case { std::optional<std::string> previous; std::string head; } cases[] = {
      {std::nullopt, *B({0x03, 0, 0, 0})}, {B({}), *B({0x03, 0, 0, 0})},
      {B({0x02, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9}), *B({0x03, 0, 0, 0})},
      {B({0x06, 0xAA, 0xBB, 0xCC, 1, 2, 3, 4, 5, 6, 7, 8, 0x55}), *B({0x07, 0xAA, 0xBB, 0xCC})},
      {B({0x02, 0x11}), *B({0x03, 0x11, 0, 0})}};
  for (const Case& c : cases) EXPECT_EQ(autostart::SwitchedOffBytes(c.previous, t), c.head + stamp);
}

}  // namespace
