// Reading fixed-width fields out of raw file or clipboard bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bytes {

// The unsigned 32-bit little-endian value at bytes[at..at+3]; the caller has
// checked that the four bytes are there.
inline std::uint32_t LittleEndian32(std::string_view data, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(data[at + i])) << (8 * i);
  return v;
}

}  // namespace bytes
