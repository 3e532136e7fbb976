// A long log-on for the chart's benchmarks: 200 programs started over about
// ten minutes, each held by the interval and then by its predecessor
// settling, the usage sampled every 200 ms.
#pragma once

#include <string>

#include "sequence/timeline.h"

namespace bench {

inline timeline::Run LongLogOn() {
  timeline::Run run;
  run.began = {2026, 12, 8, 8, 15, 2, 0};
  run.settings = {30, 10000, 500, 200, true, true, timeline::Pacing::Settle};
  std::int64_t at = 0;
  for (int i = 0; i < 200; ++i) {
    const std::int64_t next = at;
    at += 500 + (i * 7919) % 5000;
    run.items.push_back({i + 1, L"Program number " + std::to_wstring(i + 1),
                         L"C:\\Program Files\\Vendor " + std::to_wstring(i) + L"\\program.exe", next,
                         {{timeline::HoldKind::Interval, next, next + 500},
                          {timeline::HoldKind::Settle, next + 500, at}},
                         at, timeline::Reason::Settled, timeline::Result::Started, 1000u + i, L"", at + 800,
                         (i * 104729) % 3000, std::nullopt});
  }
  run.lengthMs = at;
  for (std::int64_t ms = 0; ms <= at; ms += 200)
    run.usage.push_back({ms, static_cast<double>(ms / 200 * 37 % 10000) / 100});
  return run;
}

}  // namespace bench
