// The string tables are looked up with an explicit language: the thread's
// default lookup would pick by the thread locale and could mix languages.
#include <windows.h>

#include "common/ui_text.h"

namespace ui {

Language UserLanguage() {
  static const Language language =
      PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese : Language::English;
  return language;
}

std::wstring Text(unsigned id, Language language) {
  const LANGID lang = language == Language::Japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                                     : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  // A string table block holds sixteen strings, each a length and that many
  // UTF-16 units; block n holds the ids 16(n-1) to 16(n-1)+15.
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), lang);
  if (!found) return L"";
  HGLOBAL loaded = LoadResource(module, found);
  const auto* p = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
  if (!p) return L"";
  const WCHAR* end = p + SizeofResource(module, found) / sizeof(WCHAR);
  for (unsigned i = 0; i < id % 16; ++i) {
    if (p >= end) return L"";
    p += 1 + *p;
  }
  if (p >= end || p + 1 + *p > end) return L"";
  return std::wstring(p + 1, *p);
}

}  // namespace ui
