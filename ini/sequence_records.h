// The record loader: turns a sequence file into one IniDocument per item. The
// file is a record file (records end with U+0001) in which every item takes
// three records in a row:
//   1. the title record, stored whole under kTitleKey;
//   2. a second record (empty as the wizard writes it), stored whole under
//      kSecondKey;
//   3. the body: CR LF lines of name "=" value, each stored as an item with
//      spaces trimmed from both ends of name and value. Empty lines, lines
//      beginning with "#" or ";" and lines without "=" are skipped.
// One U+0001 at the very end of the file closes the last record and gives no
// empty record after it. An item cut short by the end of the file gets "" for
// its missing records. The documents have no file name; the caller owns them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "ini/ini_document.h"

namespace records {

// The names the first two records are stored under. No body line can name
// them (a body line's name ends at its first "="), so what an item's body
// holds never replaces its title.
inline constexpr wchar_t kTitleKey[] = L"=title";
inline constexpr wchar_t kSecondKey[] = L"=second";

// One document per item, in file order. Empty when the file cannot be read
// or holds no record (a file of zero bytes). The documents use fs.
std::vector<IniDocument> Load(const std::wstring& path, FileSystem& fs);

// The same from the file's text already in memory.
std::vector<IniDocument> FromText(std::wstring_view text, FileSystem& fs);

}  // namespace records
