// The user at the keyboard during a log-on, for scripts/bench_logon.sh: a
// native Linux program (the script builds it with g++) that does one small
// fixed unit of work every 50 ms, as a user's typing and clicking would, and
// records how long each unit took. A unit that takes longer than on a quiet
// machine is what the user feels as a sluggish desktop.
// Usage:
//   user_probe calibrate MS    prints the iterations one unit needs for about
//                              MS milliseconds on a free core
//   user_probe run ITERATIONS  one line per unit on standard output, until
//                              ended: start (s since 1970) TAB duration (s)
//   user_probe busy            keeps one core busy until ended
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

volatile std::uint32_t sink;

void Unit(long iterations) {
  std::uint32_t x = sink;
  for (long i = 0; i < iterations; ++i) x = x * 1664525u + 1013904223u + static_cast<std::uint32_t>(i >> 3);
  sink = x;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The fastest of a few tries: the quiet machine's own noise only slows.
double Time(long iterations) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    Unit(iterations);
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "calibrate") == 0) {
    const double want = std::atof(argv[2]) / 1000;
    long n = 100000;
    while (Time(n) < want / 4) n *= 2;
    for (int i = 0; i < 3; ++i) n = static_cast<long>(static_cast<double>(n) * want / Time(n));
    std::printf("%ld\n", n);
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "run") == 0) {
    const long iterations = std::atol(argv[2]);
    const auto period = std::chrono::milliseconds(50);
    auto next = std::chrono::steady_clock::now();
    for (;;) {
      const double wall = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
      const auto start = std::chrono::steady_clock::now();
      Unit(iterations);
      std::printf("%.6f\t%.6f\n", wall, Seconds(std::chrono::steady_clock::now() - start));
      std::fflush(stdout);
      // On a fixed beat; a unit that overran its beat is followed at once
      // by the next, as queued input would be.
      next += period;
      if (next < std::chrono::steady_clock::now()) next = std::chrono::steady_clock::now();
      std::this_thread::sleep_until(next);
    }
  }
  if (argc >= 2 && std::strcmp(argv[1], "busy") == 0) {
    for (;;) Unit(1L << 30);
  }
  std::fprintf(stderr, "usage: user_probe calibrate MS | run ITERATIONS | busy\n");
  return 2;
}
