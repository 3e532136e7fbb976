#include "sequencer/main_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(LineY, MarksTheLimitOnTheBar) {
  struct Case { double limit; std::optional<int> y; } cases[] = {
      {30, 4426},  // 4426.5: halves go to the even neighbour
      {0, 5655},   // the bottom of a bar 4095 high at 1560
      {100, 1560}, // its top
      {-100, 9750},  // below the bar
      {1e6, std::nullopt},
      {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(sequencer::LineY(1560, 4095, c.limit), c.y) << c.limit;
}

TEST(MarkTop, StaysOnTheBarAtItsBottom) {
  EXPECT_EQ(sequencer::MarkTop(104, 396, 2, 0), 104 + 396 - 2);  // on the bar's last rows, not below it
  EXPECT_EQ(sequencer::MarkTop(104, 396, 1, 30), 104 + 396 - 119);
  EXPECT_EQ(sequencer::MarkTop(104, 396, 1, -10), 104 + 396 + 40);  // a limit below 0 lies below the bar
  EXPECT_EQ(sequencer::MarkTop(104, 396, 1, 1e9), std::nullopt);
}

}  // namespace
