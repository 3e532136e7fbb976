// Conversion between the system's ANSI code page and wide text.
//
// This is the one place that converts: files and the ANSI system calls speak
// the code page, everything inside the programs is std::wstring.
//   Windows: MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
//   POSIX:   iconv with the locale's character set (UTF-8 under C/POSIX).
// Invalid input never throws and never vanishes: a byte sequence that is not
// valid in the code page becomes U+FFFD when reading (and never takes a
// following control character, such as a record or line end, with it), and
// a character the code page cannot hold becomes '?' when writing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace text {

std::wstring FromAnsi(std::string_view bytes);
std::string ToAnsi(std::wstring_view wide);
// The code-page text only when every character converts to itself: nullopt
// when one would become '?' or a look-alike (in code page 932 U+00A5 would
// become "\", which changes a path). For paths that must name what they name.
std::optional<std::string> ToAnsiExact(std::wstring_view wide);

// Lower case by the platform's rules (CharLowerBuffW on Windows, towlower
// elsewhere), character by character. The suite's case-insensitive
// comparisons all follow it: names, keys, extensions, paths, prefixes.
std::wstring ToLower(std::wstring_view s);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view s, std::wstring_view prefix);

// s without the characters of blanks at either end (by default spaces only,
// as the INI and sequence files pad their names and values).
std::wstring_view Trim(std::wstring_view s, std::wstring_view blanks = L" ");

// One pair of enclosing double quotes removed ("" gives empty; a lone quote stays).
std::wstring StripQuotes(std::wstring_view s);
// The text before the first NUL, or the whole text.
std::wstring TrimAtNull(std::wstring_view s);

// A locale and the ANSI code page its text uses.
struct LocaleCodePage {
  std::uint32_t locale;
  unsigned ansiCodePage;
};
// The locale to name beside the clipboard's Unicode text, so that a program
// reading it as ANSI text gets it in systemCodePage, the sequence file's: the
// first candidate with that code page (the system default locale is given
// first: the user's format locale may be English on a Japanese system).
// nullopt when none has it (the system's own choice then stands).
std::optional<std::uint32_t> ClipboardLocale(std::initializer_list<LocaleCodePage> candidates,
                                             unsigned systemCodePage);

// UTF-8 for tests and diagnostics; invalid input as above.
std::string ToUtf8(std::wstring_view wide);
std::wstring FromUtf8(std::string_view bytes);

}  // namespace text
