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
  Rect band;        // white header band (Shape1)
  Rect titleLabel;  // "Tarvoline"
  Rect statusLabel; // what the program is doing
  Rect image1;      // the program's icon
  Rect pbProgress;  // horizontal: counts the starts
  Rect pbCPU;       // vertical: processor usage 0 to 100
  Rect lvApp;       // the item list
  Rect lineBar;     // the CPULimit mark across pbCPU (height = line thickness)
};

// Design client area, in twips.
constexpr int kClientTwips = 5730;

// twips at dpi, rounded to the nearest pixel.
int Px(int twips, int dpi);

// The design places at dpi, the line at the CPULimit level.
MainLayout Design(int dpi, double cpuLimit);

// Stretches pbProgress to the right edge, pbCPU to the bottom and lvApp to
// both, and moves the line to the new CPULimit level (LineY; at 0 it sits on
// the bar's last rows). A size that would come
// out negative (a client area smaller than the control's offset) is left as
// it was; the band spans the whole width.
void Resize(MainLayout& l, int clientWidth, int clientHeight, int dpi, double cpuLimit);

// top + height − height × cpuLimit / 100, rounded half to even, in whatever
// unit top and height are given; nothing when it leaves the 16-bit range.
std::optional<int> LineY(int barTop, int barHeight, double cpuLimit);

}  // namespace layout
