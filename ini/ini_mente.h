// iniMente: the in-memory INI document.
//
// A flat, ordered list of (name, value) entries, one per line of the file it
// came from. Lines that are not key-value lines (comments, blank lines,
// section headers, lines without "=") are kept verbatim as remarks under the
// name "*REM*", so that a save gives them back unchanged. Sections mean
// nothing to lookups: all names share one namespace, compared without regard
// to letter case (text::ToLower), and the first match wins. Deleting only
// marks an entry with the value "*DEL*"; the savers skip it. Entries are
// never reordered and new ones are always appended.
//
// Files are read and written whole, in the system ANSI code page
// (text::FromAnsi / text::ToAnsi), through the FileSystem seam. A save
// replaces the file all or nothing: on failure the old file is untouched.
// Nothing here throws on bad input; there is no limit on line length or on
// the number of entries other than memory.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/variant.h"

namespace iniMenteSub {
class Loader;
}

class iniMente {
 public:
  // fs must outlive the document.
  explicit iniMente(FileSystem& fs = RealFileSystem());

  // Records Filename as the document's file name in every case, then loads
  // it when a directory search finds it as an ordinary file (hidden and
  // system files and folders count as missing): False for a missing file,
  // the entries then unchanged. True when it was read; False when it exists
  // but cannot be read, the document then empty.
  bool iniLoader(const std::wstring& Filename);
  // Replaces all entries by those of text, parsed as a file holding it would
  // be. Always True. The file name is not touched. Lines end at CR LF or a
  // lone CR (a lone LF stays in its line). A line without "=", or beginning
  // with ";", "#", "/" or "[", or naming "*REM*" before its "=", is a remark
  // (a save gives it back as it stands). Otherwise the first "=" splits it:
  // the name loses spaces at both ends, the value only at its start; a value
  // of nothing but spaces is the empty Variant.
  bool iniLoadText(std::wstring_view text);

  void SetiniFilename(const std::wstring& FilenameofINI) { iniFilename_ = FilenameofINI; }
  const std::wstring& GetiniFilename() const { return iniFilename_; }

  // Value of the first entry named ItemName (any letter case), else Default.
  // Remarks answer to "*REM*"; a deleted item answers "*DEL*".
  Variant GetiniValue(std::wstring_view ItemName, const Variant& Default) const;

  // Numbered group with stem GroupName: the items GroupName0, GroupName1, ...
  // up to the first missing or empty one. The number of the first member
  // whose value equals SearchItem (NoCheckCase: equal once lower-cased;
  // otherwise text must equal text and numbers numbers), or -1.
  int SearchinGroup(std::wstring_view GroupName, const Variant& SearchItem, bool NoCheckCase) const;

  // Enumerates the entries whose name begins with a prefix (any letter
  // case), one per call, in order: a non-empty GroupName starts over with
  // that prefix, an empty one continues. {name, value} of the next match, or
  // two empty strings when there is none more (the position then stays).
  std::array<Variant, 2> GetiniGroup2(std::wstring_view GroupName);

  // Replaces the value of the first entry named ItemName (any letter case;
  // the stored name keeps its spelling), or appends a new entry when there is
  // none. The name "*REM*" always appends a remark. Always True.
  bool SetiniValue(std::wstring_view ItemName, const Variant& ItemValue);
  // The same, taking the value over instead of copying it.
  bool SetiniValue(std::wstring_view ItemName, Variant&& ItemValue);
  // SetiniValue(ItemName, "*DEL*"): an unknown name is appended deleted.
  bool DeliniValue(std::wstring_view ItemName);
  // Marks every member of the numbered group GroupName as deleted (members
  // already deleted are passed over). Always True.
  bool DeliniGroup(std::wstring_view GroupName);
  // Sets ItemName to ItemValue only when it is missing or its value is empty.
  void MakeiniItem(std::wstring_view ItemName, const Variant& ItemValue);

  // Records Filename as the document's file name, then writes the save text
  // to it. An empty document writes nothing and gives True. False when the
  // file cannot be written; the file is then exactly as it was.
  bool iniSaver(const std::wstring& Filename);
  bool iniSaverSameFilename();
  // The save text: remarks as they stand, items as name " = " value, every
  // line followed by CR LF, deleted items left out.
  std::wstring iniSavertoVariable() const;

  // Index of the last entry, -1 when the document is empty.
  std::ptrdiff_t LastIndex() const { return static_cast<std::ptrdiff_t>(entries_.size()) - 1; }
  // The entry at index, 0 <= index <= LastIndex().
  const std::wstring& ItemNameAt(std::ptrdiff_t index) const { return entries_[static_cast<std::size_t>(index)].name(); }
  const Variant& ItemValueAt(std::ptrdiff_t index) const { return entries_[static_cast<std::size_t>(index)].value; }

 private:
  // The record loader fills its documents through SetSharingNames.
  friend class iniMenteSub::Loader;

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
  // SetiniValue. With share, a new entry's name is shared: taken from like's
  // entry at the same index when that is spelled exactly alike (like may be
  // null), else a new shared copy.
  template <class V>
  bool Set(std::wstring_view name, V&& value, bool share, const iniMente* like);
  bool SetSharingNames(std::wstring_view name, Variant&& value, const iniMente* like);
  void Append(Entry entry);
  void ParseLine(std::wstring_view line);

  FileSystem* fs_;
  std::wstring iniFilename_;
  std::vector<Entry> entries_;
  // GetiniGroup2's enumeration: the prefix and the next index.
  std::wstring groupPrefix_;
  std::size_t groupNext_ = 0;
};
