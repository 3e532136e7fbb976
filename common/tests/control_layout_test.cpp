#include "common/control_layout.h"

#include <gtest/gtest.h>

namespace {

using win::Placement;

constexpr win::Size96 kDesign{640, 468};
constexpr win::Rect96 kRect{8, 244, 70, 24};

TEST(Place, AnchoredEdgesFollowTheClientArea) {
  struct Case {
    unsigned anchors;
    Placement grown;  // in a client area 100 wider and 50 higher than designed, at 96 DPI
  } cases[] = {
      {win::kAnchorTopLeft, {8, 244, 70, 24}},
      {win::kAnchorLeft | win::kAnchorBottom, {8, 294, 70, 24}},
      {win::kAnchorRight | win::kAnchorBottom, {108, 294, 70, 24}},
      {win::kAnchorLeft | win::kAnchorTop | win::kAnchorRight, {8, 244, 170, 24}},
      {win::kAnchorAll, {8, 244, 170, 74}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::Place(kRect, c.anchors, kDesign, 640, 468, 96), (Placement{8, 244, 70, 24})) << c.anchors;
    EXPECT_EQ(win::Place(kRect, c.anchors, kDesign, 740, 518, 96), c.grown) << c.anchors;
  }
}

TEST(Place, ScalesWithTheDpiAndKeepsTheDistanceToAnAnchoredEdge) {
  // At 144 DPI the design client area is 960 × 702; the window is 30 wider.
  EXPECT_EQ(win::Place(kRect, win::kAnchorTopLeft, kDesign, 990, 702, 144), (Placement{12, 366, 105, 36}));
  const Placement right = win::Place(kRect, win::kAnchorRight | win::kAnchorTop, kDesign, 990, 702, 144);
  EXPECT_EQ(990 - (right.x + right.width), 960 - (12 + 105));
  // A list reaching the right edge at its design size reaches it at any DPI.
  for (unsigned dpi : {96u, 120u, 144u, 168u, 192u}) {
    const Placement list = win::Place({32, 104, 350, 278}, win::kAnchorAll, {382, 382}, 700, 500, dpi);
    EXPECT_EQ(list.x + list.width, 700) << dpi;
    EXPECT_EQ(list.y + list.height, 500) << dpi;
  }
  // Halves round away from zero, as the system's MulDiv does.
  EXPECT_EQ(win::Scale(1, 144), 2);
  EXPECT_EQ(win::Scale(-1, 144), -2);
  EXPECT_EQ(win::Scale(15, 144), 23);
}

TEST(Place, AWindowSmallerThanItsDesignGivesNoNegativeSize) {
  EXPECT_EQ(win::Place(kRect, win::kAnchorAll, kDesign, 0, 0, 96), (Placement{8, 244, 0, 0}));
  EXPECT_EQ(win::Place(kRect, win::kAnchorRight | win::kAnchorBottom, kDesign, 0, 0, 96),
            (Placement{8 - 640, 244 - 468, 70, 24}));
}

}  // namespace
