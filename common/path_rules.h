// Splitting and joining paths as text, without touching the file system.
//
// The rules are those of the scripting file-system object, written once and
// parameterised by the path style so that both styles can be checked on any
// build; the style defaults to the platform's. These are the suite's only
// path helpers: text in, a new value out, the arguments never changed.
//   Windows: "\" and "/" both separate components; an optional drive ("C:")
//            and the separators right after it form the root, which a parent
//            keeps (the parent of C:\x.txt is C:\).
//   POSIX:   "/" separates; leading "/" form the root.
// Trailing separators are ignored when splitting (C:\A\ names A); a root
// alone has neither a last component nor a parent (both ""). Nothing here
// resolves "." or ".." or checks that a path is valid.
#pragma once

#include <string>
#include <string_view>

namespace paths {

enum class Style { Windows, Posix };

#ifdef _WIN32
inline constexpr Style kPlatform = Style::Windows;
#else
inline constexpr Style kPlatform = Style::Posix;
#endif

bool IsSeparator(wchar_t c, Style style = kPlatform);
// "\" on Windows, "/" on POSIX.
wchar_t Separator(Style style = kPlatform);

// folder, then one separator, then name: no separator is added when the
// folder ends in one or the name begins with one, and one of two is dropped.
// An empty folder or name gives the other unchanged. A bare drive ("C:") is
// taken as its root, so C: and a.txt give C:\a.txt, never C:a.txt.
std::wstring Join(std::wstring_view folder, std::wstring_view name, Style style = kPlatform);

// The last component: C:\A\b.txt -> b.txt; C:\A\ -> A; C:\ -> "".
std::wstring FileName(std::wstring_view path, Style style = kPlatform);
// Everything before the last component, without the separators between the
// two, except that a root keeps its own: C:\A\b.txt -> C:\A; C:\b -> C:\;
// b.txt -> ""; C:\ -> "".
std::wstring Parent(std::wstring_view path, Style style = kPlatform);
// The text after the last "." of the last component, "" without one:
// C:\A.B\file -> ""; Tool.LNK -> LNK; .profile -> profile.
std::wstring Extension(std::wstring_view path, Style style = kPlatform);
// The last component without its last extension; "" when it begins with ".":
// b.c.txt -> b.c; readme -> readme; .profile -> "".
std::wstring Stem(std::wstring_view path, Style style = kPlatform);

}  // namespace paths
