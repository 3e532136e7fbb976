// The processor-usage meter the launch engine reads once per tick.
#pragma once

class CpuMeter {
 public:
  virtual ~CpuMeter() = default;
  // Total processor usage in percent (0 to 100), averaged since the previous
  // read or, at the first read, since the meter was made. A meter that
  // cannot read the system gives 0.
  virtual double GetValue() = 0;
};
