// The cost of one waiting tick of the launch engine (meter read, bar update,
// the decision), with a meter and a window that do nothing: the engine's own
// share of the load it measures.
#include <benchmark/benchmark.h>

#include "common/tests/support/fakes.h"
#include "common/tests/support/plain_launch_system.h"
#include "sequencer/launch_engine.h"

namespace {

class NullView : public LaunchView {
 public:
  void ShowCpuLoad(double percent) override { benchmark::DoNotOptimize(percent); }
  void SetCaption(const std::wstring&) override {}
  void MarkStarted(int) override {}
  void SetItemIcon(int, int) override {}
  void SetProgress(int) override {}
  void RepaintNow() override {}
  WindowHandle Owner() override { return nullptr; }
  void StopTimer() override {}
  void EndProgram() override {}
};

class BusyMeter : public CpuMeter {
 public:
  double GetValue() override { return value_ = value_ >= 99 ? 31 : value_ + 0.7; }

 private:
  double value_ = 31;
};

void BM_WaitingTick(benchmark::State& state) {
  std::vector<sequence::SequenceItem> items(1);
  NullView view;
  BusyMeter meter;
  // The processor never falls to the limit and the longest wait never ends:
  // every tick is a waiting tick.
  fake::Processes processes;
  fake::Shell shell;
  PlainLaunchSystem system(processes, shell, RealFileSystem());
  LaunchEngine engine(items, {30, 1e300, 500}, view, &meter, system, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(engine.Tick(200));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WaitingTick);

void BM_Decision(benchmark::State& state) {
  const LaunchSettings s{30, 10000, 500};
  double waited = 0, usage = 31;
  bool ready = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(LaunchEngine::ShouldStart(waited, usage, ready, s));
    ready = !ready;
    waited = waited > 9000 ? 0 : waited + 200;
    usage = usage > 99 ? 0 : usage + 1.3;
  }
}
BENCHMARK(BM_Decision);

}  // namespace

BENCHMARK_MAIN();
