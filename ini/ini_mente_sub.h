// The record loader: turns a sequence file into one iniMente document per
// item. The file is a record file (records end with U+0001, see
// TextFastReadBinary) in which every item takes three records in a row:
//   1. the title record, stored whole as "iniMenteSubItem1";
//   2. a second record (empty as the wizard writes it), stored whole as
//      "iniMenteSubItem2";
//   3. the body: CR LF lines of name "=" value, each stored as an item with
//      spaces trimmed from both ends of name and value. Empty lines, lines
//      beginning with "#" or ";" and lines without "=" are skipped.
// An item cut short by the end of the file gets "" for its missing records.
// The documents have no file name; the caller owns them.
#pragma once

#include <string>
#include <vector>

#include "common/fileio.h"
#include "ini/ini_mente.h"

namespace iniMenteSub {

// One document per item, in file order. Empty when the file cannot be read
// or holds no record (a file of zero bytes). The documents use fs.
std::vector<iniMente> iniRecordLoader(const std::wstring& path, FileSystem& fs = RealFileSystem());

// The same from the file's text already in memory.
std::vector<iniMente> iniRecordLoaderFromText(std::wstring text);

}  // namespace iniMenteSub
