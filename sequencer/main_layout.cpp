#include "sequencer/main_layout.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace layout {
namespace {

Rect Twips(int left, int top, int width, int height, int dpi) {
  return {Px(left, dpi), Px(top, dpi), Px(width, dpi), Px(height, dpi)};
}

void PlaceLine(MainLayout& l, double cpuLimit) {
  std::optional<int> y = LineY(l.pbCPU.top, l.pbCPU.height, cpuLimit);
  if (!y) return;
  // The bottom of the bar's range is the row below its last one: a limit of 0
  // draws the line on the bar's last rows instead, so that it stays visible.
  const int bottom = l.pbCPU.top + l.pbCPU.height;
  l.lineBar.top = (*y <= bottom && *y > bottom - l.lineBar.height) ? bottom - l.lineBar.height : *y;
}

}  // namespace

int Px(int twips, int dpi) { return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0)); }

MainLayout Design(int dpi, double cpuLimit) {
  MainLayout l;
  l.band = Twips(0, 0, 5775, 1095, dpi);
  l.titleLabel = Twips(120, 120, 2220, 240, dpi);
  l.statusLabel = Twips(2520, 720, 2040, 180, dpi);
  l.image1 = Twips(4680, 120, 840, 840, dpi);
  l.pbProgress = Twips(480, 1200, 5055, 255, dpi);
  l.pbCPU = Twips(120, 1560, 255, 4095, dpi);
  l.lvApp = Twips(480, 1560, 5175, 4095, dpi);
  l.lineBar = {0, Px(4920, dpi), Px(480, dpi), std::max(1, Px(15, dpi))};
  PlaceLine(l, cpuLimit);
  return l;
}

void Resize(MainLayout& l, int clientWidth, int clientHeight, int dpi, double cpuLimit) {
  auto set = [](int& field, int value) {
    if (value >= 0) field = value;
  };
  l.band.width = std::max(Px(5775, dpi), clientWidth);
  set(l.pbProgress.width, clientWidth - l.pbProgress.left);
  set(l.pbCPU.height, clientHeight - l.pbCPU.top);
  set(l.lvApp.width, clientWidth - l.lvApp.left);
  set(l.lvApp.height, clientHeight - l.lvApp.top);
  PlaceLine(l, cpuLimit);
}

std::optional<int> LineY(int barTop, int barHeight, double cpuLimit) {
  const double y = barTop + barHeight - barHeight * cpuLimit / 100.0;
  if (!std::isfinite(y)) return std::nullopt;
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(y);
  std::fesetround(saved);
  if (r < -32768 || r > 32767) return std::nullopt;
  return static_cast<int>(r);
}

}  // namespace layout
