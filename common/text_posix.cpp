#include "common/text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwctype>

namespace {

// The locale's character set; plain ASCII (the C/POSIX locale) reads as UTF-8.
const char* AnsiCharset() {
  const char* cs = nl_langinfo(CODESET);
  if (!cs || !*cs || std::strcmp(cs, "ANSI_X3.4-1968") == 0 || std::strcmp(cs, "ASCII") == 0) return "UTF-8";
  return cs;
}

struct Iconv {
  iconv_t cd;
  Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd != (iconv_t)-1) iconv_close(cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
};

// Converts in, replacing each unconvertible input unit of width inStep by
// replacement. Out is grown geometrically.
template <class Out, class In>
Out Convert(const char* to, const char* from, const In* in, size_t count, size_t inStep,
            const typename Out::value_type replacement) {
  Out out;
  if (count == 0) return out;
  Iconv conv(to, from);
  if (conv.cd == (iconv_t)-1) return out;
  using OC = typename Out::value_type;
  char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
  size_t srcLeft = count * sizeof(In);
  out.resize(count + 16);
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = reinterpret_cast<char*>(out.data() + used);
    size_t dstLeft = (out.size() - used) * sizeof(OC);
    size_t r = iconv(conv.cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft / sizeof(OC);
    if (r != (size_t)-1) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else {  // EILSEQ or EINVAL (cut short at the end): one unit becomes the replacement
      if (used == out.size()) out.resize(out.size() * 2);
      out[used++] = replacement;
      size_t step = inStep < srcLeft ? inStep : srcLeft;
      src += step;
      srcLeft -= step;
      iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  out.resize(used);
  return out;
}

// glibc's UTF-8 decoder still takes the retired five- and six-byte forms and
// four-byte values past U+10FFFF; those are no characters either.
std::wstring CharactersOnly(std::wstring w) {
  for (auto& c : w) {
    auto u = static_cast<std::uint32_t>(c);
    if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) c = L'\xFFFD';
  }
  return w;
}

}  // namespace

namespace text {

std::wstring FromAnsi(std::string_view bytes) {
  return CharactersOnly(Convert<std::wstring>("WCHAR_T", AnsiCharset(), bytes.data(), bytes.size(), 1, L'\xFFFD'));
}

std::string ToAnsi(std::wstring_view wide) {
  return Convert<std::string>(AnsiCharset(), "WCHAR_T", wide.data(), wide.size(), sizeof(wchar_t), '?');
}

std::optional<std::string> ToAnsiExact(std::wstring_view wide) {
  // iconv maps no look-alikes here: a lost character becomes '?', which
  // reading back shows.
  std::string out = ToAnsi(wide);
  if (FromAnsi(out) != wide) return std::nullopt;
  return out;
}

std::string ToUtf8(std::wstring_view wide) {
  return Convert<std::string>("UTF-8", "WCHAR_T", wide.data(), wide.size(), sizeof(wchar_t), '?');
}

std::wstring FromUtf8(std::string_view bytes) {
  return CharactersOnly(Convert<std::wstring>("WCHAR_T", "UTF-8", bytes.data(), bytes.size(), 1, L'\xFFFD'));
}

std::wstring ToLower(std::wstring_view s) {
  std::wstring r(s);
  for (auto& c : r) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return r;
}

}  // namespace text
