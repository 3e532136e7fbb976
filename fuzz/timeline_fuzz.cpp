// The log-on timeline's file, through its reader: any bytes are read without
// a fault, and every run read is written and read back the same (its usage
// samples thinned when it passes the bound); a run appended comes back
// last, after the runs of the newest blocks kept, and no more than the
// file keeps. The chart of every run read keeps its shapes in the plot and
// each row's text past them, inside the chart.
#include <algorithm>
#include <cstdint>

#include "editor/logon_chart.h"
#include "fuzz/fuzz_support.h"
#include "sequence/timeline.h"

namespace {

void CheckChart(const timeline::Run& run, int width) {
  const chart::Metrics font{16, [](std::wstring_view s) { return static_cast<int>(s.size()) * 8; }};
  const chart::Chart c = chart::Layout(run, width, 300, font);
  FUZZ_CHECK(c.rows.size() == run.items.size() && c.plot.Right() <= width);
  FUZZ_CHECK(!c.ticks.empty() && c.ticks.size() <= static_cast<std::size_t>(c.plot.width) + 1);
  for (const chart::Row& row : c.rows) {
    int right = c.plot.x;
    for (const chart::Shape& s : row.shapes) {
      FUZZ_CHECK(s.rect.x >= 0 && s.rect.Right() <= c.plot.Right() + 2 && s.rect.width >= 1);
      right = std::max(right, s.rect.Right());
    }
    if (row.label) {
      const chart::Rect& r = row.label->rect;
      FUZZ_CHECK(r.x >= right && (r.width == 0 || r.Right() <= width));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Bytes(data, size);
  const timeline::ReadResult read = timeline::Read(bytes);
  for (const timeline::Skipped& s : read.skipped) FUZZ_CHECK(s.line >= 1);

  for (const timeline::Run& run : read.runs) {
    const std::string text = timeline::Serialize(run);
    const timeline::ReadResult back = timeline::Read(text);
    FUZZ_CHECK(back.runs.size() == 1 && back.skipped.empty());
    // A block thinned keeps more than a quarter of the bound.
    if (text.size() <= timeline::kRunBytes / 4) FUZZ_CHECK(back.runs[0] == run);
    FUZZ_CHECK(back.runs[0].items == run.items);
    FUZZ_CHECK(timeline::Serialize(back.runs[0]) == text);
    for (int width : {90, 800}) CheckChart(run, width);
  }

  const timeline::Run last = read.runs.empty() ? timeline::Run{} : read.runs.back();
  const timeline::ReadResult appended = timeline::Read(timeline::Append(bytes, last));
  FUZZ_CHECK(!appended.runs.empty() && appended.runs.back().items == last.items);
  FUZZ_CHECK(appended.runs.size() + appended.skipped.size() <= timeline::kKeptRuns);
  const std::size_t kept = appended.runs.size() - 1;
  FUZZ_CHECK(kept <= read.runs.size());
  FUZZ_CHECK(std::equal(appended.runs.begin(), appended.runs.end() - 1, read.runs.end() - kept));
  return 0;
}
