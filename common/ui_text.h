// The programs' user-interface texts, in Japanese and English.
//
// Each program's texts are listed once, in its texts.inc:
//   TVL_TEXT(id, name, "Japanese", "English")
// with UTF-8 literals. The Windows build turns that list into the program's
// string tables (one per language, see common/win32/string_tables.rc); the
// native build compiles it into a table, so the core speaks the same texts
// in its tests. Ids are unique across the suite: the sequencer's from 1000,
// the wizard's from 2000, the drop tool's from 3000, the shared sequence
// library's (sequence/) from 4000.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class Language { Japanese, English };

// Japanese where the user's interface language is Japanese, English for
// every other language (Windows: GetUserDefaultUILanguage; POSIX: the
// LC_ALL, LC_MESSAGES or LANG variable, as Wine reads them).
Language UserLanguage();

// Text id in the given language, or in the user's; "" for an id that no
// table holds. Never throws.
std::wstring Text(unsigned id, Language language);
std::wstring Text(unsigned id);

// pattern with %1 to %9 replaced by args (a number with no argument is left
// as it stands, "%%" is one "%"). Lets each language put the parts where
// its grammar wants them.
std::wstring Format(std::wstring_view pattern, std::initializer_list<std::wstring_view> args);

// A heading line, then one line per name, each after indent: how a message
// names what was left out.
std::wstring HeadingWithNames(std::wstring_view heading, const std::vector<std::wstring>& names,
                              std::wstring_view indent = L"");

}  // namespace ui
