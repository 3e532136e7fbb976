#include "sequencer/win32/cpu_meter_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(SystemTimesMeter, ReadsTheBusyShareSinceItWasMade) {
  SystemTimesMeter meter;
  std::atomic<bool> stop{false};
  std::vector<std::thread> spinners;
  for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
    spinners.emplace_back([&] {
      while (!stop) {
      }
    });
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  const double busy = meter.GetValue();
  stop = true;
  for (auto& t : spinners) t.join();
  EXPECT_GT(busy, 50.0);  // every processor was busy
  EXPECT_LE(busy, 100.0);
}

}  // namespace
