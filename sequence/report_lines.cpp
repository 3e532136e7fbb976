#include "sequence/report_lines.h"

#include "common/text.h"

namespace sequence {

std::string Utf8Lines(const std::vector<std::wstring>& lines, bool byteOrderMark) {
  std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
  for (std::wstring line : lines) {
    for (wchar_t& c : line)
      if (c < L' ' || c == L'\x7F') c = L' ';
    out += text::ToUtf8(line);
    out += "\r\n";
  }
  return out;
}

}  // namespace sequence
