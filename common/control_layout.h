// Where a control goes in its window: its rectangle designed at 96 DPI,
// scaled to the window's DPI, then moved or stretched on the edges it is
// anchored to by as much as the client area differs from the window's
// design size at that DPI. No Windows header: the arithmetic is tested natively.
#pragma once

namespace win {

// v pixels at 96 DPI, at dpi; halves round away from zero, as MulDiv does.
constexpr int Scale(int v, unsigned dpi) {
  const long long n = static_cast<long long>(v) * dpi;
  return static_cast<int>((n + (n < 0 ? -48 : 48)) / 96);
}

struct Rect96 {
  int x = 0, y = 0, width = 0, height = 0;
};

struct Size96 {
  int width = 0, height = 0;
};

// The edges whose distance a control keeps when its window grows or shrinks.
// Left and right: the control stretches; right alone: it moves along.
enum Anchor : unsigned {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorTopLeft = kAnchorLeft | kAnchorTop,
  kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

struct Placement {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Placement&) const = default;
};

// rect with anchors at dpi in a client area of clientWidth × clientHeight
// pixels, for a window designed with a client area of design. A size that
// would come out negative is 0.
Placement Place(const Rect96& rect, unsigned anchors, Size96 design, int clientWidth, int clientHeight,
                unsigned dpi);

}  // namespace win
