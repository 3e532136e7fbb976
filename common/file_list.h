// The file list of a drop (the clipboard's CF_HDROP format) read from its
// bytes: a 20-byte header (offset of the names, a point, two flags of which
// the second says wide text), then the names, each ended by NUL, the list
// ended by an empty name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace filelist {

// The names in list order. Wide names are UTF-16 little-endian; narrow ones
// are in the ANSI code page. Nothing is read past the end of bytes: a name
// that runs into the end is incomplete and left out. nullopt when the header
// is cut short or points outside the block.
std::optional<std::vector<std::wstring>> Parse(std::string_view bytes);

}  // namespace filelist
