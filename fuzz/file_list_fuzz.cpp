// The file list of a drop, from the clipboard block's bytes: a list only when
// the header is whole and points inside the block, names that are found
// there, and a block rebuilt from them parses the same.
#include <cstdint>

#include "common/file_list.h"
#include "fuzz/fuzz_support.h"

namespace {

void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Block(const std::vector<std::wstring>& names, bool wide) {
  std::string b;
  for (std::uint32_t v : {20u, 0u, 0u, 0u, wide ? 1u : 0u}) Put32(b, v);  // names at 20; the last says wide
  for (const std::wstring& n : names) {
    if (wide)
      for (wchar_t c : n + L'\0') b += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF)};
    else
      b += text::ToAnsi(n) + '\0';
  }
  b.append(wide ? 2 : 1, '\0');
  return b;
}

std::uint32_t Le32(std::string_view d, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(d[at + i]);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view block = fuzz::Bytes(data, size);
  const auto names = filelist::Parse(block);
  const bool whole = size >= 20 && Le32(block, 0) >= 20 && Le32(block, 0) <= size;
  FUZZ_CHECK(names.has_value() == whole);
  if (!names) return 0;

  // Names are never empty and hold no NUL; each is found in the block.
  const bool wide = Le32(block, 16) != 0;
  for (const std::wstring& n : *names) {
    FUZZ_CHECK(!n.empty() && n.find(L'\0') == std::wstring::npos);
    if (!wide) FUZZ_CHECK(block.find(text::ToAnsi(n), Le32(block, 0)) != std::string_view::npos ||
                          n.find(L'\xFFFD') != std::wstring::npos);
  }

  // The block the drop source would build from these names parses the same.
  FUZZ_CHECK(filelist::Parse(Block(*names, wide)) == names);
  return 0;
}
