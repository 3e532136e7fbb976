// The window style read from a shortcut's header: a value only for a real
// shell-link header, then exactly the stored ShowCommand field, and nothing
// after the header is looked at.
#include <cstdint>
#include <cstring>

#include "common/shortcut.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr unsigned char kLinkHeaderStart[20] = {0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
                                                0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte asks for a valid header start over the rest, so that the
  // field itself gets exercised too.
  std::string file(fuzz::Bytes(data + 1, size - 1));
  if ((data[0] & 1) && file.size() >= sizeof kLinkHeaderStart)
    std::memcpy(file.data(), kLinkHeaderStart, sizeof kLinkHeaderStart);

  const std::optional<int> show = shortcut::ShowCommandFromHeader(file);
  const bool isLink = file.size() >= shortcut::kHeaderSize &&
                      std::memcmp(file.data(), kLinkHeaderStart, sizeof kLinkHeaderStart) == 0;
  FUZZ_CHECK(show.has_value() == isLink);
  if (show) {
    std::uint32_t field = 0;
    for (int i = 3; i >= 0; --i) field = field << 8 | static_cast<unsigned char>(file[0x3C + i]);
    FUZZ_CHECK(static_cast<std::uint32_t>(*show) == field);
    FUZZ_CHECK(shortcut::ShowCommandFromHeader(file.substr(0, shortcut::kHeaderSize)) == show);
  }
  return 0;
}
