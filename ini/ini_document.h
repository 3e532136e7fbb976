// IniDocument: the in-memory INI document.
//
// A flat, ordered list of entries, one per line of the file it came from.
// Lines that are not key-value lines (comments, blank lines, section headers,
// lines without "=") are kept verbatim as remarks, so that a save gives them
// back unchanged. Sections mean nothing to lookups: all names share one
// namespace, compared without regard to letter case (text::ToLower), and the
// first match wins. An item whose value the file spells "*DEL*" is a deleted
// one: lookups still find it, a save leaves it out. Entries are never
// reordered and new ones are always appended.
//
// Files are read and written whole, in the system ANSI code page
// (text::FromAnsi / text::ToAnsi), through the FileSystem seam. A save
// replaces the file all or nothing: on failure the old file is untouched.
// Nothing here throws on bad input; there is no limit on line length or on
// the number of entries other than memory.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"

namespace records {
class Loader;
}

class IniDocument {
 public:
  enum class Kind {
    Item,     // name = value
    Remark,   // any other line, kept as it stands
    Deleted,  // an item whose value is "*DEL*"
  };
  // An entry as stored: a remark's whole line is its value, its name empty.
  struct EntryView {
    Kind kind;
    std::wstring_view name;
    std::wstring_view value;
  };

  // fs must outlive the document.
  explicit IniDocument(FileSystem& fs);

  // Records fileName as the document's file in every case, then loads it when
  // a directory search finds it as an ordinary file (hidden and system files
  // and folders count as missing): false for a missing file, the entries then
  // unchanged. True when it was read; false when it exists but cannot be
  // read, the document then empty.
  bool Load(const std::wstring& fileName);
  // Replaces all entries by those of text, parsed as a file holding it would
  // be. The file name is not touched. Lines end at CR LF or a lone CR (a lone
  // LF stays in its line). A line without "=", or beginning with ";", "#",
  // "/" or "[", or naming "*REM*" before its "=", is a remark (a save gives it
  // back as it stands). Otherwise the first "=" splits it: the name loses
  // spaces at both ends, the value only at its start.
  void LoadText(std::wstring_view text);

  // Value of the first item named name (any letter case, deleted ones
  // included; remarks are no items); nullopt when none is.
  std::optional<std::wstring> Value(std::wstring_view name) const;

  // Replaces the value of the first item named name (any letter case; the
  // stored name keeps its spelling; a deleted one is an item again), or
  // appends a new item when there is none.
  void Set(std::wstring_view name, std::wstring value);
  // Sets name to value only when it is missing or its value is empty; true
  // when it did.
  bool SetIfEmpty(std::wstring_view name, std::wstring value);

  // Writes the save text to the file last named to Load. An empty document
  // writes nothing and gives true. False when the file cannot be written; the
  // file is then exactly as it was.
  bool Save();
  // The save text: remarks as they stand, items as name " = " value, every
  // line followed by CR LF, deleted items left out.
  std::wstring SaveText() const;

  // The entries in file order (after LoadText, entry i is line i).
  std::size_t Size() const { return entries_.size(); }
  EntryView At(std::size_t index) const {
    const Entry& e = entries_[index];
    return {e.kind, e.name(), e.value};
  }
  // Index of the item Value reads.
  std::optional<std::size_t> Find(std::wstring_view name) const;

 private:
  // The record loader fills its documents through SetSharingNames.
  friend class records::Loader;

  using SharedName = std::shared_ptr<const std::wstring>;

  // A name never changes once stored, so documents may share it: those
  // loaded from one record file spell their names alike and hold one copy of
  // each between them. Never null.
  struct Entry {
    SharedName shared;
    std::wstring value;
    Kind kind = Kind::Item;
    const std::wstring& name() const { return *shared; }
  };

  // Set, a new item's name taken from like's entry at the same index when
  // that is spelled exactly alike (like may be null), else a new shared copy.
  void SetSharingNames(std::wstring_view name, std::wstring value, const IniDocument* like);
  void Append(Entry entry);
  void ParseLine(std::wstring_view line);

  FileSystem* fs_;
  std::wstring fileName_;
  std::vector<Entry> entries_;
};
