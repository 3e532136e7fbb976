#include "common/control_layout.h"

namespace win {
namespace {

// One axis: the control's start and length after the window grew by delta.
void Follow(int& start, int& length, bool nearEdge, bool farEdge, int delta) {
  if (farEdge && nearEdge) length += delta;
  else if (farEdge) start += delta;
  if (length < 0) length = 0;
}

}  // namespace

Placement Place(const Rect96& rect, unsigned anchors, Size96 design, int clientWidth, int clientHeight,
                unsigned dpi) {
  Placement p{Scale(rect.x, dpi), Scale(rect.y, dpi), Scale(rect.width, dpi), Scale(rect.height, dpi)};
  Follow(p.x, p.width, anchors & kAnchorLeft, anchors & kAnchorRight, clientWidth - Scale(design.width, dpi));
  Follow(p.y, p.height, anchors & kAnchorTop, anchors & kAnchorBottom, clientHeight - Scale(design.height, dpi));
  return p;
}

}  // namespace win
