#include <windows.h>

#include "common/text.h"

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
  // Elsewhere a character the code page lacks becomes '?', never a
  // look-alike that names another file.
  const char* def = cp == CP_UTF8 ? nullptr : "?";
  const DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(cp, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, def, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(cp, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, def, nullptr);
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

std::optional<std::string> ToAnsiExact(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int len = static_cast<int>(wide.size());
  // UTF-8 holds every character and takes neither flag nor default character;
  // only a lone surrogate fails there.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = utf8 ? nullptr : &usedDefault;
  int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), len, nullptr, 0, nullptr, used);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(n, '\0');
  if (WideCharToMultiByte(CP_ACP, flags, wide.data(), len, out.data(), n, nullptr, used) != n || usedDefault)
    return std::nullopt;
  // Read back as well: a system that maps best-fit despite the flag still
  // cannot hide a look-alike this way.
  if (MultiToWide(CP_ACP, out) != wide) return std::nullopt;
  return out;
}
std::wstring FromUtf8(std::string_view bytes) { return MultiToWide(CP_UTF8, bytes); }
std::string ToUtf8(std::wstring_view wide) { return WideToMulti(CP_UTF8, wide); }

std::wstring ToLower(std::wstring_view s) {
  std::wstring r(s);
  if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

}  // namespace text
