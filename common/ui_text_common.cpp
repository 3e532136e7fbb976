#include "common/ui_text.h"

namespace ui {

std::wstring Text(unsigned id) { return Text(id, UserLanguage()); }

std::wstring Format(std::wstring_view pattern, std::initializer_list<std::wstring_view> args) {
  std::wstring out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t c = pattern[i];
    if (c == L'%' && i + 1 < pattern.size()) {
      const wchar_t n = pattern[i + 1];
      if (n == L'%') {
        out += L'%';
        ++i;
        continue;
      }
      if (n >= L'1' && n <= L'9' && static_cast<size_t>(n - L'1') < args.size()) {
        out += *(args.begin() + (n - L'1'));
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::wstring HeadingWithNames(std::wstring_view heading, const std::vector<std::wstring>& names,
                              std::wstring_view indent) {
  std::wstring out(heading);
  for (const std::wstring& name : names) out.append(L"\r\n").append(indent).append(name);
  return out;
}

}  // namespace ui
