#include "common/text.h"

namespace text {

namespace {

// ToLower maps each character on its own, so comparing character by character
// gives the same answer as comparing the lower-cased texts, without building
// them: INI lookups run this for every key of every sequence item.
wchar_t LowerChar(wchar_t c) { return ToLower(std::wstring_view(&c, 1))[0]; }

bool SameChar(wchar_t a, wchar_t b) { return a == b || LowerChar(a) == LowerChar(b); }

}  // namespace

bool StartsWithNoCase(std::wstring_view s, std::wstring_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (!SameChar(s[i], prefix[i])) return false;
  return true;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

std::wstring_view Trim(std::wstring_view s, std::wstring_view blanks) {
  const std::size_t b = s.find_first_not_of(blanks);
  if (b == std::wstring_view::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

std::optional<std::uint32_t> ClipboardLocale(std::initializer_list<LocaleCodePage> candidates,
                                             unsigned systemCodePage) {
  for (const LocaleCodePage& c : candidates)
    if (c.ansiCodePage == systemCodePage) return c.locale;
  return std::nullopt;
}

std::wstring StripQuotes(std::wstring_view s) {
  if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"') return std::wstring(s.substr(1, s.size() - 2));
  return std::wstring(s);
}

std::wstring TrimAtNull(std::wstring_view s) { return std::wstring(s.substr(0, s.find(L'\0'))); }

}  // namespace text
