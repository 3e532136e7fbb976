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
  for (const auto& c : cases) EXPECT_EQ(layout::LineY(1560, 4095, c.limit), c.y) << c.limit;
}

TEST(Layout, ResizeStretchesBarsAndListAndMovesTheLine) {
  // How the window applies the stretched sizes its own test shows.
  EXPECT_EQ(layout::Design(144, 30).limitMark, (layout::Rect{0, 443, 48, 2}));
  layout::MainLayout l = layout::Design(96, 30);
  layout::Resize(l, 600, 500, 96, 30);
  EXPECT_EQ(l.cpuBar, (layout::Rect{8, 104, 17, 396}));  // the width stays
  EXPECT_EQ(l.limitMark.top, 104 + 396 - 119);
  layout::MainLayout zero = l;
  layout::Resize(zero, 600, 500, 96, 0);
  EXPECT_EQ(zero.limitMark.top, 104 + 396 - 1);  // on the bar's last row, not below it

  // A client area smaller than the offsets (a minimised window) changes no size.
  const layout::MainLayout before = l;
  layout::Resize(l, 0, 0, 96, 30);
  EXPECT_EQ(l.progressBar, before.progressBar);
  EXPECT_EQ(l.cpuBar, before.cpuBar);
  EXPECT_EQ(l.itemList, before.itemList);
  EXPECT_EQ(l.limitMark, before.limitMark);
}

}  // namespace
