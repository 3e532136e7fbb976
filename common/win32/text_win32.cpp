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

// In a double-byte code page a lead byte followed by a control character (a
// record or line end) or by nothing has lost its trail byte; the system would
// take the control character as the trail byte and the end would vanish.
// Such a lead byte becomes U+FFFD on its own. No code page has a trail byte
// below 0x20.
std::wstring AnsiToWide(std::string_view bytes) {
  CPINFO info{};
  if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize < 2) return MultiToWide(CP_ACP, bytes);
  bool lead[256] = {};
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
    for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead[b] = true;
  std::wstring out;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (!lead[static_cast<unsigned char>(bytes[i])]) continue;
    if (i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= 0x20) {
      ++i;
      continue;
    }
    out += MultiToWide(CP_ACP, bytes.substr(start, i - start));
    out += L'\uFFFD';
    start = i + 1;
  }
  if (start == 0) return MultiToWide(CP_ACP, bytes);
  out += MultiToWide(CP_ACP, bytes.substr(start));
  return out;
}

}  // namespace

namespace text {

std::wstring FromAnsi(std::string_view bytes) { return AnsiToWide(bytes); }
std::string ToAnsi(std::wstring_view wide) { return WideToMulti(CP_ACP, wide); }
std::wstring FromUtf8(std::string_view bytes) { return MultiToWide(CP_UTF8, bytes); }
std::string ToUtf8(std::wstring_view wide) { return WideToMulti(CP_UTF8, wide); }

std::wstring ToLower(std::wstring_view s) {
  std::wstring r(s);
  if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

}  // namespace text
