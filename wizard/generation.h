// Turning the shortcuts of one folder into records of a sequence file.
// Portable: every contact with the system goes through the seams passed in.
//
// An item is written as sequence::ItemRecords makes it. Records
// are only ever appended; nothing already in the file is rewritten.
#pragma once

#include <string>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/messages.h"
#include "common/shortcut.h"
#include "wizard/main_program.h"
#include "wizard/takeover.h"

namespace wizard {

struct GenerationSeams {
  FileSystem& files;
  ShortcutStore& shortcuts;
  sequence::Clock& clock;
  ui::Messages& messages;
};

struct GenerationResult {
  bool ok = false;                       // what GenerateSequenceFile returns
  int written = 0;                       // records appended
  int skippedOwn = 0;                    // shortcuts to the main program left out
  std::vector<std::wstring> unreadable;  // shortcut file names that could not be read
  std::vector<std::wstring> outsideCodePage;  // ... whose target or folder the file cannot hold
  std::vector<std::wstring> takenLinks;       // file names of the folder's shortcuts taken (written or already there)
  int alreadyListed = 0;                      // taken but not written: already an item of the file
};

// Reads every ".lnk" ordinary file of folder (hidden ones are not listed),
// in the order the file system gives them, and appends one record per
// shortcut to sequenceFile in the ANSI code page. A shortcut whose target
// has no file-system path gives an item that opens the shortcut itself
// (shortcut::ItemTargetOf), titled by its file name without ".lnk".
//  - sequenceFile not writable (checked by opening it for appending, which
//    creates it empty when missing): the critical message "指定された
//    ファイルに書き込みができませんでした。" and ok = false, nothing written.
//    The same when the final append fails.
//  - An empty folder text, a missing folder or one without shortcuts: no
//    record, ok = true.
//  - A shortcut that cannot be read is left out; so is one whose target or
//    working folder the ANSI code page cannot hold, even by its short form
//    (sequence::PathInCodePage, which the record then uses). The others are
//    written and one warning message then names every file left out; ok = true.
//    The same holds for arguments, which have no short form.
// A shortcut or entry whose File and Option are already those of an item
// the main program starts (File's letter case aside), in the file or
// earlier in this run, is not written again but counts as taken.
// All records are appended with one write after the folder has been read,
// so a shortcut that fails half-way never leaves part of a record behind.
// With a take-over plan, the folder's shortcuts named in its disabledLinks
// are left out, its entries are appended after the folder's records in the
// same write, and its unreadable shortcuts join the warning.
GenerationResult GenerateSequenceFile(const std::wstring& folder, const std::wstring& sequenceFile,
                                      GenerationSeams seams, const TakeOverPlan* plan = nullptr);

}  // namespace wizard
