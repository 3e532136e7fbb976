// Small drawing chores shared by the programs' windows.
#pragma once

#include <windows.h>

namespace win {

// A sunken separator: a 1-pixel line in COLOR_BTNSHADOW from (x1, y) to
// (x1 + width, y), end point excluded, and a COLOR_BTNHIGHLIGHT line one point
// (at least one pixel) below it. Coordinates are in pixels at the window's
// dpi; the line is always horizontal, and a negative width draws to the left
// of x1. Nothing is kept: the caller draws it again on every WM_PAINT.
void DrawEtchedLine(HDC dc, int x1, int y, int width, int dpi);

}  // namespace win
