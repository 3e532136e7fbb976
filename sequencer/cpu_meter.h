// The processor-usage meter the launch engine reads once per tick.
#pragma once

#include <string>

class CpuMeter {
 public:
  virtual ~CpuMeter() = default;
  // Attaches the counter named by CounterPath and takes the first sample.
  virtual void AddCounter(const std::wstring& CounterPath) = 0;
  // Total processor usage in percent (0 to 100), averaged since the previous
  // read (or since AddCounter). A meter that could not be set up gives 0.
  virtual double GetValue() = 0;
};
