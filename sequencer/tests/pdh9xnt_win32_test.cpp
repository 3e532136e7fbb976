#include "sequencer/win32/pdh9xnt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(clsPdhNT, ReadsTheBusyShareSinceThePreviousRead) {
  clsPdhNT meter;
  meter.AddCounter(Pdh9XNT::kNTCounterPath);
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

// The 9x statistic, read from a key of the test's own with the same layout.
TEST(clsPdh9X, ReadsTheKernelStatisticAsPercent) {
  HKEY base = nullptr, data = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TarvolineTest\\DynData", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &base, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegCreateKeyExW(base, L"PerfStats\\StatData", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &data, nullptr),
            ERROR_SUCCESS);
  auto set = [&](DWORD v) {
    ::RegSetValueExW(data, L"KERNEL\\CPUUsage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  };
  {
    clsPdh9X meter(base);
    meter.AddCounter(Pdh9XNT::k9xCounterPath);  // no StartStat key here: nothing read, no harm
    set(0x32);
    EXPECT_EQ(meter.GetValue(), 50.0);
    set(0x07);
    EXPECT_EQ(meter.GetValue(), 7.0);
    ::RegDeleteValueW(data, L"KERNEL\\CPUUsage");
    EXPECT_EQ(meter.GetValue(), 7.0);  // a failed read keeps the last value
  }
  ::RegCloseKey(data);
  ::RegCloseKey(base);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TarvolineTest");
}

}  // namespace
