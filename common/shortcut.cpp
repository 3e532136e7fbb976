#include "common/shortcut.h"

#include <cstdint>

#include "common/bytes.h"

namespace shortcut {

namespace {

// The shell link's class identifier {00021401-0000-0000-C000-000000000046}
// as it lies in the file (the first three fields little-endian).
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::size_t kClsidOffset = 4;
constexpr std::size_t kShowCommandOffset = 0x3C;

}  // namespace

std::optional<int> ShowCommandFromHeader(std::string_view data) {
  if (data.size() < kHeaderSize) return std::nullopt;
  if (bytes::LittleEndian32(data, 0) != kHeaderSize) return std::nullopt;
  for (std::size_t i = 0; i < sizeof kLinkClsid; ++i)
    if (static_cast<unsigned char>(data[kClsidOffset + i]) != kLinkClsid[i]) return std::nullopt;
  return static_cast<int>(bytes::LittleEndian32(data, kShowCommandOffset));
}

ItemTarget ItemTargetOf(const std::wstring& lnkPath, const ShortcutInfo& info) {
  if (info.targetPath.empty()) return {lnkPath, L"", L""};
  return {info.targetPath, info.workingDirectory, info.arguments};
}

}  // namespace shortcut
