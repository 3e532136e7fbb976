// Text of a sequence item as the wizard writes it into a sequence file and
// the drop tool puts it on the clipboard.
#pragma once

#include <optional>
#include <string>

#include "fileio.h"

namespace itemtext {

// A shortcut's window style (1 normal, 3 maximized, 7 minimized) as the
// item's Size: 1, 3, 6. Any other style gives 1 (a normal window), so that
// no shortcut inherits another one's value.
int SizeFromWindowStyle(int windowStyle);

// "File=" target CR LF "Current=" folder CR LF "Option=" option CR LF
// "Size = " size CR LF "NoUse = 0" — no line end after the last line. Line
// ends and record ends (U+0001) inside option become blanks, so that the
// arguments a shortcut or a registry value passes never break the record.
std::wstring ItemBody(const std::wstring& target, const std::wstring& current, const std::wstring& option,
                      int size);

// The path as a sequence file (ANSI code page) can hold it: the path itself
// when it converts exactly, else its short form when that does; nullopt when
// neither does, since a '?' or a look-alike would name another file.
std::optional<std::wstring> PathInCodePage(const std::wstring& path, FileSystem& fs);

struct Date {
  int year = 0, month = 0, day = 0;
};
// "yyyy/mm/dd".
std::wstring FormatDate(const Date& d);

// Today's local date; tests put a fixed one in its place.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Date Today() = 0;
};
Clock& RealClock();

}  // namespace itemtext
