#include <windows.h>

#include "../text.h"

namespace {

std::wstring MultiToWide(UINT cp, std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string WideToMulti(UINT cp, std::wstring_view wide) {
  if (wide.empty()) return {};
  // UTF-8 takes no default character; the system substitutes U+FFFD there.
  const char* def = cp == CP_UTF8 ? nullptr : "?";
  int n = WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, def, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, def, nullptr);
  return out;
}

}  // namespace

namespace text {

std::wstring FromAnsi(std::string_view bytes) { return MultiToWide(CP_ACP, bytes); }
std::string ToAnsi(std::wstring_view wide) { return WideToMulti(CP_ACP, wide); }
std::wstring FromUtf8(std::string_view bytes) { return MultiToWide(CP_UTF8, bytes); }
std::string ToUtf8(std::wstring_view wide) { return WideToMulti(CP_UTF8, wide); }

std::wstring ToLower(std::wstring_view s) {
  std::wstring r(s);
  if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

}  // namespace text
