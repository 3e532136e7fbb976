#include "sequencer/main_layout.h"

#include <cfenv>
#include <cmath>

namespace sequencer {

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

std::optional<int> MarkTop(int barTop, int barHeight, int markHeight, double cpuLimit) {
  std::optional<int> y = LineY(barTop, barHeight, cpuLimit);
  if (!y) return std::nullopt;
  // The bottom of the bar's range is the row below its last one.
  const int bottom = barTop + barHeight;
  return (*y <= bottom && *y > bottom - markHeight) ? bottom - markHeight : *y;
}

}  // namespace sequencer
