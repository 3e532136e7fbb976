// The DPI a window is drawn at, and the outer size that gives its client area
// at that DPI: one place for the three windows, which declare per-monitor
// awareness. The per-monitor calls are looked up at run time so that the
// programs still start on systems that lack them.
#pragma once

#include <windows.h>

namespace win {

// The system DPI (the primary monitor's at log-on); 96 when it cannot be read.
UINT SystemDpi();
// The DPI of the monitor the window is on; the system DPI where the system
// cannot say (older systems, no window yet).
UINT WindowDpi(HWND hwnd);
// The outer size of a window whose client area is width × height pixels at
// dpi: the frame and caption measured at that DPI (AdjustWindowRectExForDpi),
// at the system DPI only where that call is missing.
SIZE OuterSize(DWORD style, DWORD exStyle, int width, int height, UINT dpi);

}  // namespace win
