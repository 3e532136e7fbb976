// The processor-usage meter of the window. A performance-counter query would
// need the counter's name, which is localised on Japanese Windows
// ("\Processor(_Total)\% Processor Time" exists only under its translated
// name there), so it would fail and read 0 for ever. GetSystemTimes gives the
// same quantity whatever the system language: busy share = (kernel + user −
// idle) / (kernel + user) between two samples (kernel time includes idle time).
#pragma once

#include "sequencer/cpu_meter.h"

class SystemTimesMeter final : public CpuMeter {
 public:
  // Takes the first sample.
  SystemTimesMeter();
  // Percent busy since the previous sample; when no time has passed, the
  // previous value; 0 when the system times cannot be read.
  double GetValue() override;

 private:
  struct Sample {
    unsigned long long idle = 0, kernel = 0, user = 0;
  };
  static bool Take(Sample& s);

  Sample last_;
  bool haveLast_ = false;
  double lastValue_ = 0;
};
