// Where the main window's controls go: the design places in twips, scaled to
// pixels at the window's DPI (15 twips are one pixel at 96 DPI), and the
// resize rules that stretch the bars and the list to the client area.
#pragma once

#include <optional>

namespace layout {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct MainLayout {
  Rect band;         // white header band
  Rect titleLabel;   // "Tarvoline"
  Rect statusLabel;  // what the program is doing
  Rect logo;         // the program's icon
  Rect progressBar;  // horizontal: counts the starts
  Rect cpuBar;       // vertical: processor usage 0 to 100
  Rect itemList;     // the items, one row each
  Rect limitMark;    // the CPULimit mark across cpuBar (height = line thickness)
};

// Design client area, in twips.
constexpr int kClientTwips = 5730;

// The design places, in twips (all multiples of 15: whole pixels at 96 DPI).
// The limit mark's top is moved to the CPULimit level.
namespace design {
constexpr Rect kBand{0, 0, 5775, 1095};
constexpr Rect kTitleLabel{120, 120, 2220, 240};
constexpr Rect kStatusLabel{2520, 720, 2040, 180};
constexpr Rect kLogo{4680, 120, 840, 840};
constexpr Rect kProgressBar{480, 1200, 5055, 255};
constexpr Rect kCpuBar{120, 1560, 255, 4095};
constexpr Rect kItemList{480, 1560, 5175, 4095};
constexpr Rect kLimitMark{0, 4920, 480, 15};
}  // namespace design

// twips at dpi, rounded to the nearest pixel.
int Px(int twips, int dpi);

// The design places at dpi, the line at the CPULimit level.
MainLayout Design(int dpi, double cpuLimit);

// Stretches progressBar to the right edge, cpuBar to the bottom and itemList
// to both, and moves the line to the new CPULimit level (LineY; at 0 it sits on
// the bar's last rows). A size that would come
// out negative (a client area smaller than the control's offset) is left as
// it was; the band spans the whole width.
void Resize(MainLayout& l, int clientWidth, int clientHeight, int dpi, double cpuLimit);

// top + height − height × cpuLimit / 100, rounded half to even, in whatever
// unit top and height are given; nothing when it leaves the 16-bit range.
std::optional<int> LineY(int barTop, int barHeight, double cpuLimit);

}  // namespace layout
