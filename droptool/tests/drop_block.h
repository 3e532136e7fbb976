// The block the drop tool puts on the clipboard for one dropped file, as the
// tests expect it (dated 2001/05/12 by the fake clock).
#pragma once

#include <string>

inline std::wstring DropBlock(const std::wstring& name, const std::wstring& file, const std::wstring& current, int size,
                              const std::wstring& option = L"") {
  const std::wstring hyphens(78, L'-'), equals(78, L'=');
  return L"@\r\n2001/05/12\uFF1A" + name + L"\r\n" + hyphens + L"\r\nFile=" + file + L"\r\nCurrent=" + current +
         L"\r\nOption=" + option + L"\r\nSize = " + std::to_wstring(size) + L"\r\nNoUse = 0\r\n" + equals + L"\r\n";
}
