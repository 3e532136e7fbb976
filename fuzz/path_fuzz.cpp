// Path splitting and joining as text, in both styles: the parts of a path are
// pieces of it in order, and joining then splitting gives the parts back.
#include <algorithm>
#include <cstdint>

#include "common/path_rules.h"
#include "fuzz/fuzz_support.h"

namespace {

using paths::Style;

// Paths from bytes: a small alphabet of the characters that matter (so that
// drives, separators and dots are common), or any 16-bit unit after 0xFF.
std::wstring PathFrom(std::string_view bytes) {
  static constexpr wchar_t kAlphabet[] = L"\\/:.C a\"x\0\x3000\xFF3C" L"bD.\\";
  std::wstring p;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b != 0xFF || i + 2 >= bytes.size()) p += kAlphabet[b % 16];
    else p += fuzz::Utf16Units(bytes.substr(i + 1, 2)), i += 2;
  }
  return p;
}

bool HasSeparator(std::wstring_view s, Style style) {
  return std::any_of(s.begin(), s.end(), [style](wchar_t c) { return paths::IsSeparator(c, style); });
}

bool IsBareDrive(std::wstring_view s, Style style) { return style == Style::Windows && s.size() == 2 && s[1] == L':'; }

void Check(const std::wstring& path, Style style) {
  const std::wstring name = paths::FileName(path, style);
  const std::wstring parent = paths::Parent(path, style);
  const std::wstring ext = paths::Extension(path, style);
  const std::wstring base = paths::Stem(path, style);

  FUZZ_CHECK(!HasSeparator(name, style));
  FUZZ_CHECK(path.compare(0, parent.size(), parent) == 0);
  if (name.empty()) FUZZ_CHECK(parent.empty());

  // After the parent: separators, the name, separators (a root alone, with
  // no name, may be any drive text).
  std::size_t i = parent.size();
  while (i < path.size() && paths::IsSeparator(path[i], style)) ++i;
  if (!name.empty()) {
    FUZZ_CHECK(path.compare(i, name.size(), name) == 0);
    for (i += name.size(); i < path.size(); ++i) FUZZ_CHECK(paths::IsSeparator(path[i], style));
  }

  // The extension and the base name are the two sides of the name's last dot.
  FUZZ_CHECK(ext.find(L'.') == std::wstring::npos);
  const std::size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos) FUZZ_CHECK(ext.empty() && base == name);
  else FUZZ_CHECK(name.compare(dot + 1, std::wstring::npos, ext) == 0 &&
                  base == (name[0] == L'.' ? std::wstring() : name.substr(0, dot)));

  // The parent and the name joined split back into the same parts.
  if (!name.empty() && !IsBareDrive(parent, style)) {
    const std::wstring joined = paths::Join(parent, name, style);
    FUZZ_CHECK(paths::FileName(joined, style) == name && paths::Parent(joined, style) == parent);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring all = PathFrom(fuzz::Bytes(data, size));
  Check(all, Style::Windows);
  Check(all, Style::Posix);
  return 0;
}
