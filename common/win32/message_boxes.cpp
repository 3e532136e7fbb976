#include "common/win32/message_boxes.h"

#include <cstdio>
#include <iterator>

namespace win {

std::wstring SystemErrorText(DWORD code) {
  wchar_t buffer[512];
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring s(buffer, n);
  while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ' || s.back() == L'.')) s.pop_back();
  if (!s.empty()) return s;
  wchar_t number[16];
  std::swprintf(number, std::size(number), code > 0xFFFF ? L"0x%08lX" : L"%lu", static_cast<unsigned long>(code));
  return L"system error " + std::wstring(number);
}

void MessageBoxes::Show(const std::wstring& text, ui::MessageIcon icon) {
  UINT style = MB_OK;
  switch (icon) {
    case ui::MessageIcon::Critical: style |= MB_ICONSTOP; break;
    case ui::MessageIcon::Warning: style |= MB_ICONEXCLAMATION; break;
    case ui::MessageIcon::Information: style |= MB_ICONINFORMATION; break;
  }
  MessageBoxW(owner_, text.c_str(), caption_.c_str(), style);
}

}  // namespace win
