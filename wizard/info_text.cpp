#include "wizard/info_text.h"

#include <cwctype>

#include "common/text.h"

namespace wizard {

namespace {

// The tag's name, lower-cased, without "/" and attributes.
std::wstring TagName(std::wstring_view tag) {
  std::wstring name;
  size_t i = tag.starts_with(L'/') ? 1 : 0;
  while (i < tag.size() && !std::iswspace(tag[i]) && tag[i] != L'/' && tag[i] != L'>') name += tag[i++];
  return text::ToLower(name);
}

bool IsHeading(const std::wstring& name) { return name.size() == 2 && name[0] == L'h' && name[1] >= L'1' && name[1] <= L'6'; }

}  // namespace

std::wstring InfoPageText(std::wstring_view html) {
  std::wstring out, line;
  bool inHead = false, inBody = html.find(L"<body") == std::wstring_view::npos;  // a fragment is all body
  int listItem = 0;
  auto endLine = [&] {
    while (!line.empty() && line.back() == L' ') line.pop_back();
    if (!line.empty()) out += (out.empty() ? L"" : L"\r\n") + line;
    line.clear();
  };
  for (size_t i = 0; i < html.size();) {
    if (html[i] == L'<') {
      const size_t close = html.find(L'>', i);
      const std::wstring_view tag = html.substr(i + 1, (close == std::wstring_view::npos ? html.size() : close) - i - 1);
      i = close == std::wstring_view::npos ? html.size() : close + 1;
      const bool ending = tag.starts_with(L'/');
      const std::wstring name = TagName(tag);
      if (name == L"head") inHead = !ending;
      if (name == L"body") inBody = !ending;
      if (name == L"p" || name == L"li" || name == L"br" || IsHeading(name)) endLine();
      if (ending) continue;
      if (IsHeading(name) && !out.empty()) out += L"\r\n";
      if (name == L"ol") listItem = 0;
      if (name == L"li") line = std::to_wstring(++listItem) + L". ";
      continue;
    }
    wchar_t c = html[i++];
    if (c == L'&') {
      static constexpr std::pair<std::wstring_view, wchar_t> kReferences[] = {
          {L"amp;", L'&'}, {L"lt;", L'<'}, {L"gt;", L'>'}, {L"quot;", L'"'}, {L"#39;", L'\''}, {L"nbsp;", L'\u00A0'}};
      for (const auto& [name, value] : kReferences)
        if (html.substr(i).starts_with(name)) {
          c = value;
          i += name.size();
          break;
        }
    }
    if (inHead || !inBody) continue;
    if (c == L'\r' || c == L'\n' || c == L'\t' || c == L' ') {
      if (!line.empty() && line.back() != L' ') line += L' ';
      continue;
    }
    line += c;
  }
  endLine();
  return out;
}

}  // namespace wizard
