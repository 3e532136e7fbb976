#include "common/file_list.h"

#include <cstdint>

#include "common/bytes.h"
#include "common/text.h"

namespace filelist {
namespace {

constexpr std::size_t kHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide
constexpr std::size_t kWideFlagOffset = 16;

}  // namespace

std::optional<std::vector<std::wstring>> Parse(std::string_view data) {
  if (data.size() < kHeaderSize) return std::nullopt;
  std::uint32_t offset = bytes::LittleEndian32(data, 0);
  if (offset < kHeaderSize || offset > data.size()) return std::nullopt;
  const bool wide = bytes::LittleEndian32(data, kWideFlagOffset) != 0;

  std::vector<std::wstring> names;
  std::size_t at = offset;
  if (wide) {
    for (;;) {
      std::wstring name;
      bool ended = false;
      for (; at + 1 < data.size(); at += 2) {
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(data[at]) |
                                         (static_cast<unsigned char>(data[at + 1]) << 8));
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
      std::size_t end = data.find('\0', at);
      if (end == std::string_view::npos || end == at) break;
      names.push_back(text::FromAnsi(data.substr(at, end - at)));
      at = end + 1;
    }
  }
  return names;
}

}  // namespace filelist
