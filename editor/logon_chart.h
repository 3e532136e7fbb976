// The geometry of the editor's log-on chart: where each part of a run's
// timeline goes in a window of a given size, in pixels, with nothing drawn.
// From the top: the machine's processor usage and the CPULimit line, the time
// axis (seconds from the run's start), then one row per item: its title, a
// bar per hold, the mark of its start, a bar to its ready time, the mark of
// an early end, and its start-up impact as text at the row's end. The drawer
// maps each Role to a colour of its scheme (high contrast included) and
// scrolls the rows that pass the window's height.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sequence/timeline.h"

namespace chart {

// What a shape shows; the drawer gives each its colour.
enum class Role {
  // Holds, by kind.
  HoldInterval, HoldUsage, HoldDelay, HoldNetwork, HoldReady, HoldSettle,
  // The start mark, by result.
  Started, AlreadyRunning, Opened, NotOpened, Failed,
  ReadyTime,   // the bar from the start to the program's ready time
  EndedEarly,  // the mark where the program ended within the impact window
};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const Rect&) const = default;
};

struct Shape {
  Rect rect;
  Role role;
};

// A text in its place; clipped: it did not fit, the drawer ends it with an ellipsis.
struct Label {
  Rect rect;
  std::wstring text;
  bool clipped = false;
};

struct Tick {
  std::int64_t ms = 0;
  int x = 0;  // the grid line, from the band's top to the last row's bottom
  Label label;
};

struct Row {
  std::size_t item = 0;  // in the run's items
  Rect rect;             // the whole row, the chart's width
  Rect title;            // the item's title, clipped by the drawer to this width
  std::vector<Shape> shapes;   // the holds in order, the ready bar, the start mark, the early-end mark
  std::optional<Label> label;  // impact class and ms, and an early end's exit code; past every shape
  bool waitedLongest = false;  // the longest wait of the run
  bool heaviest = false;       // the largest start-up impact of the run
};

struct Chart {
  int width = 0, height = 0;  // height: the rows' bottom, maybe past the window's
  Rect plot;                  // where the run's time runs, 0 ms at its left, spanMs at its right
  std::int64_t spanMs = 0;
  std::int64_t tickMs = 0;    // the ticks' step
  std::vector<Tick> ticks;
  Rect band;                  // the usage band
  std::vector<Point> usage;   // left to right, one point per pixel column at most; fill down to the band's bottom
  int limitY = 0;             // the CPULimit line across the band
  std::vector<Row> rows;
};

// The drawer's font, at the window's DPI.
struct Metrics {
  int textHeight = 16;                                // pixels of one line of text
  std::function<int(std::wstring_view)> textWidth;    // pixels of a text in one line
};

// The chart of run in a window width × height pixels.
Chart Layout(const timeline::Run& run, int width, int height, const Metrics& metrics);

// The row at a point of the chart (in the chart's coordinates, scrolled).
std::optional<std::size_t> RowAt(const Chart& chart, int x, int y);

// An item's start-up impact as the chart's rows say it ("high 1840 ms"); ""
// when it was not measured.
std::wstring ImpactText(const timeline::Item& item);

// An item's facts in one line, in the user's language: title, file, the
// wait, why it went, what came of it, its impact.
std::wstring FactsText(const timeline::Item& item);

// The run's item at a position (1-based, as the run numbers them) whose file
// is file, letter case aside; nullopt when the sequence changed there since.
std::optional<std::size_t> ItemAt(const timeline::Run& run, int position, std::wstring_view file);

}  // namespace chart
