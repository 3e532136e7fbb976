#include "file_list.h"

#include <cstdint>

#include "common/text.h"

namespace filelist {
namespace {

constexpr std::size_t kHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide
constexpr std::size_t kWideFlagOffset = 16;

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return v;
}

}  // namespace

std::optional<std::vector<std::wstring>> Parse(std::string_view bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  std::uint32_t offset = Read32(bytes, 0);
  if (offset < kHeaderSize || offset > bytes.size()) return std::nullopt;
  const bool wide = Read32(bytes, kWideFlagOffset) != 0;

  std::vector<std::wstring> names;
  std::size_t at = offset;
  if (wide) {
    for (;;) {
      std::wstring name;
      bool ended = false;
      for (; at + 1 < bytes.size(); at += 2) {
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                         (static_cast<unsigned char>(bytes[at + 1]) << 8));
        if (c == L'\0') {
          ended = true;
          at += 2;
          break;
        }
        name += c;
      }
      if (!ended || name.empty()) break;
      names.push_back(std::move(name));
    }
  } else {
    for (;;) {
      std::size_t end = bytes.find('\0', at);
      if (end == std::string_view::npos || end == at) break;
      names.push_back(text::FromAnsi(bytes.substr(at, end - at)));
      at = end + 1;
    }
  }
  return names;
}

}  // namespace filelist
