// Where the CPULimit mark crosses the main window's processor bar. The rest
// of the window's layout is its control table (win32/main_window.cpp).
#pragma once

#include <optional>

namespace sequencer {

// top + height − height × cpuLimit / 100, rounded half to even, in whatever
// unit top and height are given; nothing when it leaves the 16-bit range.
std::optional<int> LineY(int barTop, int barHeight, double cpuLimit);

// The top of a mark markHeight high at LineY on a bar from barTop, barHeight
// high; a limit at the bar's bottom puts it on the bar's last rows instead, so
// that it stays visible. Nothing where LineY gives nothing.
std::optional<int> MarkTop(int barTop, int barHeight, int markHeight, double cpuLimit);

}  // namespace sequencer
