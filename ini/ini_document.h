// IniDocument: the in-memory INI document.
//
// A flat, ordered list of (name, value) entries, one per line of the file it
// came from. Lines that are not key-value lines (comments, blank lines,
// section headers, lines without "=") are kept verbatim as remarks under the
// name "*REM*", so that a save gives them back unchanged. Sections mean
// nothing to lookups: all names share one namespace, compared without regard
// to letter case (text::ToLower), and the first match wins. An entry whose
// value is "*DEL*" is a deleted one: a save leaves it out. Entries are never
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
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/variant.h"

namespace records {
class Loader;
}

class IniDocument {
 public:
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
  // spaces at both ends, the value only at its start; a value of nothing but
  // spaces is the empty Variant.
  void LoadText(std::wstring_view text);

  // Value of the first entry named name (any letter case), else fallback.
  // Remarks answer to "*REM*".
  Variant Value(std::wstring_view name, const Variant& fallback) const;

  // Replaces the value of the first entry named name (any letter case; the
  // stored name keeps its spelling), or appends a new entry when there is
  // none. The name "*REM*" always appends a remark.
  void Set(std::wstring_view name, const Variant& value);
  void Set(std::wstring_view name, Variant&& value);
  // Sets name to value only when it is missing or its value is empty.
  void SetIfEmpty(std::wstring_view name, const Variant& value);

  // Writes the save text to the file last named to Load. An empty document
  // writes nothing and gives true. False when the file cannot be written; the
  // file is then exactly as it was.
  bool Save();
  // The save text: remarks as they stand, items as name " = " value, every
  // line followed by CR LF, deleted items left out.
  std::wstring SaveText() const;

  // Index of the last entry, -1 when the document is empty.
  std::ptrdiff_t LastIndex() const { return static_cast<std::ptrdiff_t>(entries_.size()) - 1; }
  // The entry at index, 0 <= index <= LastIndex().
  const std::wstring& ItemNameAt(std::ptrdiff_t index) const { return entries_[static_cast<std::size_t>(index)].name(); }
  const Variant& ItemValueAt(std::ptrdiff_t index) const { return entries_[static_cast<std::size_t>(index)].value; }

 private:
  // The record loader fills its documents through SetSharingNames.
  friend class records::Loader;

  using SharedName = std::shared_ptr<const std::wstring>;

  // A name never changes once stored, so documents may share it: those
  // loaded from one record file spell their names alike and hold one copy of
  // each between them. Never null.
  struct Entry {
    SharedName shared;
    Variant value;
    const std::wstring& name() const { return *shared; }
  };

  // Index of the first entry named name (any letter case), or -1.
  std::ptrdiff_t Find(std::wstring_view name) const;
  // Set. With share, a new entry's name is shared: taken from like's
  // entry at the same index when that is spelled exactly alike (like may be
  // null), else a new shared copy.
  template <class V>
  void Set(std::wstring_view name, V&& value, bool share, const IniDocument* like);
  void SetSharingNames(std::wstring_view name, Variant&& value, const IniDocument* like);
  void Append(Entry entry);
  void ParseLine(std::wstring_view line);

  FileSystem* fs_;
  std::wstring fileName_;
  std::vector<Entry> entries_;
};
