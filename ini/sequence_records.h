// The record loader: turns a sequence file into its items. The file is a
// record file (records end with U+0001) in which every item takes three
// records in a row:
//   1. the title record, kept whole as the item's title;
//   2. a second record (empty as the wizard writes it), kept whole;
//   3. the body: CR LF lines of name "=" value, each stored in the item's
//      IniDocument with spaces trimmed from both ends of name and value (a
//      later line of a name replaces the earlier). Empty lines, lines
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

// One item's three records.
struct Item {
  explicit Item(FileSystem& fs) : body(fs) {}

  std::wstring title;
  std::wstring second;
  IniDocument body;
};

// The items in file order. Empty when the file cannot be read or holds no
// record (a file of zero bytes). The bodies use fs.
std::vector<Item> Load(const std::wstring& path, FileSystem& fs);

// The same from the file's text already in memory.
std::vector<Item> FromText(std::wstring_view text, FileSystem& fs);

}  // namespace records
