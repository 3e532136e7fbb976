// The drop tool's text: one titled block per dropped file, all blocks of a
// drop together, ready to be pasted into the editor and from there into a
// sequence file. Portable: the shortcut reader and today's date come in
// through their seams.
#pragma once

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/shortcut.h"
#include "droptool/texts.h"

namespace droptool {

// The entries of the window-style list, in list order: the text's id and
// the Size each writes.
struct ModeEntry {
  unsigned text;
  int show;
};
inline constexpr ModeEntry kModes[] = {
    {droptool::texts::kModeNormal, sequence::kDroppedFileShows[0]},
    {droptool::texts::kModeMaximized, sequence::kDroppedFileShows[1]},
    {droptool::texts::kModeMinimized, sequence::kDroppedFileShows[2]},
};
static_assert(std::size(kModes) == std::size(sequence::kDroppedFileShows));
// The Size of list position index; a position outside the list gives 1.
int ShowOfMode(int index);

// "@", the date, "：" and the name, 78 "-", the entry, 78 "=": every line,
// the last included, ended by CR LF.
std::wstring FormatEntryBlock(const std::wstring& name, const std::wstring& entry, const sequence::Date& today);

// The text of one drop, or why there is none.
struct DropText {
  std::optional<std::wstring> text;  // nullopt on failure
  std::wstring error;                // the description shown to the user on failure
  std::vector<std::wstring> leftOut{};  // dropped paths whose item the code page cannot hold
};

// One block per path, in the given order. Shortcuts (".lnk" in any letter
// case) give their target, working folder and mapped window style (a target
// with no file-system path: the shortcut itself, shortcut::ItemTargetOf); anything
// else is entered as itself, with its parent folder and listSize. The whole
// text is built before anything is returned: a shortcut that cannot be read
// fails the drop and no text comes back. No paths give the empty text.
// The text is Unicode, but it must survive the paste into a sequence file
// (ANSI code page): a File or Current the code page cannot hold is given by
// its short form where that fits; an item whose File, Current or Option does
// not fit even so (sequence::ItemInCodePage) is left out and named in leftOut.
DropText BuildDropText(const std::vector<std::wstring>& paths, int listSize, ShortcutStore& shortcuts,
                       sequence::Clock& clock, FileSystem& files);

}  // namespace droptool
