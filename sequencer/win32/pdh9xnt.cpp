#include "sequencer/win32/pdh9xnt.h"

#include "common/win32/raii.h"

namespace Pdh9XNT {

int GetPlatformId() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExW(&info);
#pragma GCC diagnostic pop
  return static_cast<int>(info.dwPlatformId);
}

void CreateCpuMeter(std::unique_ptr<CpuMeter>& Meter, int platformId) {
  if (platformId == kPlatform9x) {
    Meter = std::make_unique<clsPdh9X>();
    Meter->AddCounter(k9xCounterPath);
  } else if (platformId == kPlatformNT) {
    Meter = std::make_unique<clsPdhNT>();
    Meter->AddCounter(kNTCounterPath);
  }
}

}  // namespace Pdh9XNT

namespace {

unsigned long long Ticks(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

bool clsPdhNT::Take(Sample& s) {
  FILETIME idle{}, kernel{}, user{};
  if (!::GetSystemTimes(&idle, &kernel, &user)) return false;
  s = {Ticks(idle), Ticks(kernel), Ticks(user)};
  return true;
}

void clsPdhNT::AddCounter(const std::wstring& CounterPath) {
  counterPath_ = CounterPath;
  haveLast_ = Take(last_);
}

double clsPdhNT::GetValue() {
  Sample now;
  if (!Take(now)) return lastValue_;
  if (haveLast_ && now.kernel >= last_.kernel && now.user >= last_.user && now.idle >= last_.idle) {
    const unsigned long long total = (now.kernel - last_.kernel) + (now.user - last_.user);
    const unsigned long long idle = now.idle - last_.idle;
    if (total > 0) {
      const double busy = total > idle ? static_cast<double>(total - idle) : 0.0;
      lastValue_ = 100.0 * busy / static_cast<double>(total);
    }
  }
  last_ = now;
  haveLast_ = true;
  return lastValue_;
}

clsPdh9X::~clsPdh9X() {
  if (started_) Read(L"PerfStats\\StopStat");
}

void clsPdh9X::Read(const wchar_t* subkey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root_, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  win::RegKey owner(key);
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExW(key, counterName_.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      size == sizeof value)
    counterData_ = value;
}

void clsPdh9X::AddCounter(const std::wstring& CounterPath) {
  counterName_ = CounterPath;
  started_ = true;
  Read(L"PerfStats\\StartStat");
}

double clsPdh9X::GetValue() {
  Read(L"PerfStats\\StatData");
  return static_cast<double>(counterData_);
}
