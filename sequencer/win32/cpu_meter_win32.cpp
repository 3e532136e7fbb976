#include "sequencer/win32/cpu_meter_win32.h"

#include <windows.h>

#include "common/win32/file_time.h"

SystemTimesMeter::SystemTimesMeter() : haveLast_(Take(last_)) {}

bool SystemTimesMeter::Take(Sample& s) {
  FILETIME idle{}, kernel{}, user{};
  if (!::GetSystemTimes(&idle, &kernel, &user)) return false;
  s = {win::FileTimeValue(idle), win::FileTimeValue(kernel), win::FileTimeValue(user)};
  return true;
}

double SystemTimesMeter::GetValue() {
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
