// What the log-on tab does before it draws, for a long log-on: reading a
// full timeline file (kKeptRuns runs, each of 200 items, thinned to the
// bound) and laying out the chart of one such run at a common window size.
// The drawing as a whole should take under 50 ms; this is its arithmetic
// (logon_draw_bench_win32.cpp times the whole, under Wine).
#include <benchmark/benchmark.h>

#include "editor/bench/long_logon.h"
#include "editor/logon_chart.h"
#include "sequence/timeline.h"

namespace {

chart::Metrics Font() {
  return {16, [](std::wstring_view s) { return static_cast<int>(s.size()) * 7; }};
}

void BM_ReadFullFile(benchmark::State& state) {
  const timeline::Run run = bench::LongLogOn();
  std::string file;
  for (std::size_t i = 0; i < timeline::kKeptRuns; ++i) file = timeline::Append(file, run);
  for (auto _ : state) benchmark::DoNotOptimize(timeline::Read(file));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadFullFile)->Unit(benchmark::kMillisecond);

void BM_Layout200Items(benchmark::State& state) {
  const timeline::Run run = timeline::Read(timeline::Serialize(bench::LongLogOn())).runs.at(0);
  for (auto _ : state) benchmark::DoNotOptimize(chart::Layout(run, 1280, 800, Font()));
}
BENCHMARK(BM_Layout200Items)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
