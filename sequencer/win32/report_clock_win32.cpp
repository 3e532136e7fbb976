#include "sequencer/win32/report_clock_win32.h"

#include <windows.h>

namespace {

class Win32Clock final : public report::Clock {
 public:
  report::LocalTime Now() override {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  }
  std::int64_t Milliseconds() override {
    LARGE_INTEGER count{}, frequency{};
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart ? report::CounterMilliseconds(count.QuadPart, frequency.QuadPart) : static_cast<std::int64_t>(::GetTickCount64());
  }
};

}  // namespace

report::Clock& RealReportClock() {
  static Win32Clock clock;
  return clock;
}
