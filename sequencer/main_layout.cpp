#include "sequencer/main_layout.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace layout {
namespace {

Rect Twips(const Rect& r, int dpi) { return {Px(r.left, dpi), Px(r.top, dpi), Px(r.width, dpi), Px(r.height, dpi)}; }

void PlaceLine(MainLayout& l, double cpuLimit) {
  std::optional<int> y = LineY(l.cpuBar.top, l.cpuBar.height, cpuLimit);
  if (!y) return;
  // The bottom of the bar's range is the row below its last one: a limit of 0
  // draws the line on the bar's last rows instead, so that it stays visible.
  const int bottom = l.cpuBar.top + l.cpuBar.height;
  l.limitMark.top = (*y <= bottom && *y > bottom - l.limitMark.height) ? bottom - l.limitMark.height : *y;
}

}  // namespace

int Px(int twips, int dpi) { return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0)); }

MainLayout Design(int dpi, double cpuLimit) {
  MainLayout l;
  l.band = Twips(design::kBand, dpi);
  l.titleLabel = Twips(design::kTitleLabel, dpi);
  l.statusLabel = Twips(design::kStatusLabel, dpi);
  l.logo = Twips(design::kLogo, dpi);
  l.progressBar = Twips(design::kProgressBar, dpi);
  l.cpuBar = Twips(design::kCpuBar, dpi);
  l.itemList = Twips(design::kItemList, dpi);
  l.limitMark = Twips(design::kLimitMark, dpi);
  l.limitMark.height = std::max(1, l.limitMark.height);
  PlaceLine(l, cpuLimit);
  return l;
}

void Resize(MainLayout& l, int clientWidth, int clientHeight, int dpi, double cpuLimit) {
  auto set = [](int& field, int value) {
    if (value >= 0) field = value;
  };
  l.band.width = std::max(Px(design::kBand.width, dpi), clientWidth);
  set(l.progressBar.width, clientWidth - l.progressBar.left);
  set(l.cpuBar.height, clientHeight - l.cpuBar.top);
  set(l.itemList.width, clientWidth - l.itemList.left);
  set(l.itemList.height, clientHeight - l.itemList.top);
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
