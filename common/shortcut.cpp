#include "shortcut.h"

#include <cstdint>

namespace shortcut {

namespace {

// The shell link's class identifier {00021401-0000-0000-C000-000000000046}
// as it lies in the file (the first three fields little-endian).
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::size_t kClsidOffset = 4;
constexpr std::size_t kShowCommandOffset = 0x3C;

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return v;
}

}  // namespace

std::optional<int> ShowCommandFromHeader(std::string_view bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  if (LittleEndian32(bytes, 0) != kHeaderSize) return std::nullopt;
  for (std::size_t i = 0; i < sizeof kLinkClsid; ++i)
    if (static_cast<unsigned char>(bytes[kClsidOffset + i]) != kLinkClsid[i]) return std::nullopt;
  return static_cast<int>(LittleEndian32(bytes, kShowCommandOffset));
}

}  // namespace shortcut
