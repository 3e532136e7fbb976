// The processor-usage meters of the two Windows families and the factory
// that picks one by the platform identifier.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "sequencer/cpu_meter.h"

namespace Pdh9XNT {

constexpr int kPlatform9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr int kPlatformNT = 2;  // VER_PLATFORM_WIN32_NT

inline constexpr wchar_t kNTCounterPath[] = L"\\Processor(_Total)\\% Processor Time";
inline constexpr wchar_t k9xCounterPath[] = L"KERNEL\\CPUUsage";

// The platform identifier of GetVersionEx: 1 for the 9x family, 2 for NT.
int GetPlatformId();

// Puts a new meter for platformId into Meter and attaches its counter; on
// any other platform Meter is left as it is.
void CreateCpuMeter(std::unique_ptr<CpuMeter>& Meter, int platformId = GetPlatformId());

}  // namespace Pdh9XNT

// The NT meter. The performance-counter path it is given is localised on
// Japanese Windows ("\Processor(_Total)\% Processor Time" exists only under
// its translated name there), so a counter query would fail and read 0 for
// ever. It reads the same quantity from GetSystemTimes instead, which does not
// depend on the system language: busy share = (kernel + user − idle) /
// (kernel + user) between two samples (kernel time includes idle time).
class clsPdhNT final : public CpuMeter {
 public:
  // Keeps CounterPath (for the record) and takes the first sample.
  void AddCounter(const std::wstring& CounterPath) override;
  // Percent busy since the previous sample; when no time has passed, the
  // previous value; 0 when the system times cannot be read.
  double GetValue() override;

  const std::wstring& CounterPath() const { return counterPath_; }

 private:
  struct Sample {
    unsigned long long idle = 0, kernel = 0, user = 0;
  };
  static bool Take(Sample& s);

  std::wstring counterPath_;
  Sample last_;
  bool haveLast_ = false;
  double lastValue_ = 0;
};

// The 9x meter: the kernel's processor statistic in the dynamic-data
// registry (HKEY_DYN_DATA). Reading a value under PerfStats\StartStat starts
// its collection, under PerfStats\StatData gives the value, under
// PerfStats\StopStat (on destruction) ends it. Each read opens and closes the
// key; failures leave the last value.
class clsPdh9X final : public CpuMeter {
 public:
  // root: HKEY_DYN_DATA; tests give another key that holds the same subkeys.
  explicit clsPdh9X(HKEY root = HKEY_DYN_DATA) : root_(root) {}
  ~clsPdh9X() override;
  clsPdh9X(const clsPdh9X&) = delete;
  clsPdh9X& operator=(const clsPdh9X&) = delete;

  void AddCounter(const std::wstring& CounterPath) override;
  double GetValue() override;

  const std::wstring& CounterName() const { return counterName_; }

 private:
  void Read(const wchar_t* subkey);

  HKEY root_;
  std::wstring counterName_;
  DWORD counterData_ = 0;
  bool started_ = false;
};
