// Text of a sequence item as the wizard writes it into a sequence file and
// the drop tool puts it on the clipboard.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/fileio.h"
#include "common/shortcut.h"

namespace sequence {

// A shortcut's window style (1 normal, 3 maximized, 7 minimized) as the
// item's Size: 1, 3, 6. Any other style gives 1 (a normal window), so that
// no shortcut inherits another one's value.
int ShowFromWindowStyle(int windowStyle);

// A text as a record may hold it: U+0001 (the record end) and every line end
// (CR, LF, U+0085, U+2028, U+2029) become blanks. Names and values come from
// shortcuts and registry values anyone may have written; so cleaned, none
// can shift the records of a sequence file or add a key line to a body.
std::wstring RecordText(std::wstring_view text);

// A title as a record holds it: RecordText(title), or, when that is empty or
// only blanks, the file name of program (what the item starts), so that the
// item still has a name to show. Every writer's title goes through here.
std::wstring RecordTitle(std::wstring_view title, std::wstring_view program);

// "File=" target CR LF "Current=" folder CR LF "Option=" option CR LF
// "Size = " size CR LF "NoUse = 0" — no line end after the last line. The
// three texts go through RecordText.
std::wstring ItemBody(const std::wstring& target, const std::wstring& current, const std::wstring& option,
                      int size);

// The path as a sequence file (ANSI code page) can hold it: the path itself
// when it converts exactly, else its short form when that does; nullopt when
// neither does, since a '?' or a look-alike would name another file.
std::optional<std::wstring> PathInCodePage(const std::wstring& path, FileSystem& fs);

// File, Current and Option of an item as the code page holds them: both
// paths through PathInCodePage, Option only as it is (arguments have no short
// form). nullopt when one does not fit: the item is left out, never written
// with a '?' or a look-alike.
struct ItemTexts {
  std::wstring file, workingFolder, arguments;
};
std::optional<ItemTexts> ItemInCodePage(const ItemTexts& item, FileSystem& fs);

// A dropped file, folder or shortcut as an item, by the drop tool's rule:
// a shortcut (".lnk" in any letter case) gives its target, working folder,
// arguments as Option and mapped window style (shortcut::ItemTargetOf);
// anything else is entered as itself, with its parent folder and listSize.
// The title is the dropped name's stem (RecordTitle), the texts as the code
// page holds them (ItemInCodePage).
// The window styles (Size) a dropped plain file may be given, in the order
// the drop tool and the editor offer them; the first is the default.
inline constexpr int kDroppedFileShows[] = {1, 3, 6};

struct DroppedItem {
  enum Status { Ok, ShortcutUnreadable, NotInCodePage } status = Ok;
  std::wstring title;
  ItemTexts texts;
  int show = 1;
};
DroppedItem ItemFromDropped(const std::wstring& path, int listSize, ShortcutStore& shortcuts, FileSystem& fs);

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

// The three records of one item as the wizard writes it: today's date
// "yyyy/mm/dd", "：" (U+FF1A), title, U+0001, U+0001 (an empty second record),
// body, U+0001 — no line break after it. The title and body must already obey
// RecordTitle and ItemBody.
std::wstring ItemRecords(const std::wstring& title, const std::wstring& body, Clock& clock);

// One item as clipboard text, the form TVLTool makes and the editor copies and
// pastes: "@", the title record, a rule of 78 "-", the body lines, a rule of
// 78 "=", each line ending in CR LF.
inline const std::wstring kBlockTitleRule(78, L'-');
inline const std::wstring kBlockEndRule(78, L'=');
std::wstring ClipboardBlock(std::wstring_view titleRecord, std::wstring_view body);

}  // namespace sequence
