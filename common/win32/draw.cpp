#include "common/win32/draw.h"

#include <algorithm>

namespace win {

void DrawEtchedLine(HDC dc, int x1, int y, int width, int dpi) {
  if (!dc || width == 0) return;
  int left = std::min(x1, x1 + width);
  int right = std::max(x1, x1 + width);
  // One point: 72 make an inch.
  int gap = std::max(1, MulDiv(1, dpi > 0 ? dpi : 96, 72));
  // System colour brushes belong to the system and are never deleted.
  RECT shadow{left, y, right, y + 1};
  FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
  RECT highlight{left, y + gap, right, y + gap + 1};
  FillRect(dc, &highlight, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

}  // namespace win
