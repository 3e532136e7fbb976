// What the log-on tab does before it draws, for a long log-on: reading a
// full timeline file (kKeptRuns runs, each of 200 items, thinned to the
// bound) and laying out the chart of one such run at a common window size.
// The drawing as a whole should take under 50 ms; this is its arithmetic.
#include <benchmark/benchmark.h>

#include "editor/logon_chart.h"
#include "sequence/timeline.h"

namespace {

// 200 programs started over ten minutes, the usage sampled every 200 ms.
timeline::Run LongLogOn() {
  timeline::Run run;
  run.settings = {30, 10000, 500, 200, true, true, timeline::Pacing::Settle};
  std::int64_t at = 0;
  for (int i = 0; i < 200; ++i) {
    const std::int64_t next = at;
    at += 500 + (i * 7919) % 5000;
    run.items.push_back({i + 1, L"Program number " + std::to_wstring(i + 1),
                         L"C:\\Program Files\\Vendor " + std::to_wstring(i) + L"\\program.exe", next,
                         {{timeline::HoldKind::Interval, next, next + 500},
                          {timeline::HoldKind::Settle, next + 500, at}},
                         at, timeline::Reason::Settled, timeline::Result::Started, 1000u + i, L"", at + 800,
                         (i * 104729) % 3000, std::nullopt});
  }
  run.lengthMs = at;
  for (std::int64_t ms = 0; ms <= at; ms += 200)
    run.usage.push_back({ms, static_cast<double>(ms / 200 * 37 % 10000) / 100});
  return run;
}

chart::Metrics Font() {
  return {16, [](std::wstring_view s) { return static_cast<int>(s.size()) * 7; }};
}

void BM_ReadFullFile(benchmark::State& state) {
  const timeline::Run run = LongLogOn();
  std::string file;
  for (std::size_t i = 0; i < timeline::kKeptRuns; ++i) file = timeline::Append(file, run);
  for (auto _ : state) benchmark::DoNotOptimize(timeline::Read(file));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadFullFile)->Unit(benchmark::kMillisecond);

void BM_Layout200Items(benchmark::State& state) {
  const timeline::Run run = timeline::Read(timeline::Serialize(LongLogOn())).runs.at(0);
  for (auto _ : state) benchmark::DoNotOptimize(chart::Layout(run, 1280, 800, Font()));
}
BENCHMARK(BM_Layout200Items)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
