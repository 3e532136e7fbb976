// A FILETIME as one number of 100-ns intervals since 1601, as the start-up
// approval data, process times and processor times count.
#pragma once

#include <windows.h>

#include <cstdint>

namespace win {

inline std::uint64_t FileTimeValue(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// The system time now (UTC).
inline std::uint64_t FileTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

}  // namespace win
