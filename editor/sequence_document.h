// The editor's model of one sequence file: its items in order, each held as
// the bytes the file gave it, so that what the user did not change is written
// back byte for byte. Every item is shown as Tarvoline reads it (the record
// loader and LoadSequence's rules), every change can be undone, and a save
// replaces the file all or nothing. Portable: the file system and today's
// date come in through their seams.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "sequence/item_text.h"
#include "common/seams.h"

namespace editor {

// The fields an edit sets.
enum class Field { Title, File, Current, Option, Size, NoUse };

// An item as the user sees it: what a start reads from it.
struct ItemView {
  std::wstring title, file, workingFolder, arguments;
  int show = 0;           // the show state a start uses (-1: none a window takes)
  bool switchedOn = true; // false when NoUse leaves it out
};

// One body line, or the title record: bytes as the file held them, or text
// the user gave (written through the code page at save, after "bytes").
struct Line {
  std::string bytes;
  std::wstring text;
  bool typed = false;
  std::wstring field;  // what a refusal names: "Title" or the line's key
};

struct Item {
  int id = 0;           // stable across moves, for the window's selection
  std::string raw;      // the item's bytes as read, separators included
  bool pristine = false;  // no edit since it was read: raw is written
  Line title;
  std::string second;
  std::vector<Line> body;  // the third record cut at CR LF
  ItemView view;
};

struct SaveOutcome {
  // NotRead: the file was there but could not be read when it was opened, so
  // the items it holds were never shown; a save over it is refused.
  enum Status { Saved, ChangedOnDisk, NotRead, NotInCodePage, WriteFailed } status = Saved;
  std::size_t item = 0;  // NotInCodePage: the item's row
  std::wstring field;    // ... and the field ("Title", "File", ...)
};

class SequenceDocument {
 public:
  // The undo and redo steps together hold about this much at most, the oldest
  // going first, so that long editing of a large file stays within a 32-bit
  // process's memory.
  static constexpr std::size_t kHistoryBytes = std::size_t{64} << 20;
  // Longer text is not pasted: its items would take many times its size.
  static constexpr std::size_t kPasteChars = std::size_t{2} << 20;
  static bool CanPaste(std::wstring_view text) { return text.size() <= kPasteChars; }

  SequenceDocument(FileSystem& fs, sequence::Clock& clock, NumberSeparators locale = {});

  // Reads path; a missing file gives an empty document that a save creates.
  // False (the document then empty, path still taken) when a file is there
  // but cannot be read; a save over that path is then refused.
  bool Open(const std::wstring& path);
  // The same from bytes in memory (no file behind it).
  void Load(std::string_view bytes);
  const std::wstring& Path() const { return path_; }

  std::size_t Count() const { return items_.size(); }
  const Item& At(std::size_t row) const { return *items_[row]; }
  std::size_t SwitchedOffCount() const;
  // The row of the item with id, or nullopt.
  std::optional<std::size_t> RowOf(int id) const;
  // Tarvoline numbers the items it handles from 1, the switched-off ones left
  // out: a row's number there (nullopt when switched off), and the row of one.
  std::optional<int> RunPosition(std::size_t row) const;
  std::optional<std::size_t> RowOfRunPosition(int position) const;

  // Edits. Each is one undo step; rows out of range are ignored. Consecutive
  // edits of the same field of the same item (typing) make one step.
  void SetText(std::size_t row, Field field, const std::wstring& value);
  void SetShow(std::size_t row, int size);
  void SetSwitchedOn(std::size_t row, bool on);
  // Moves the rows by delta places (the block stops at either end); returns
  // the rows they then hold.
  std::vector<std::size_t> Move(std::vector<std::size_t> rows, int delta);
  // Moves the rows, in their order, to stand before row `before` of the
  // current list (Count() for the end); returns their new rows.
  std::vector<std::size_t> MoveTo(std::vector<std::size_t> rows, std::size_t before);
  // A new item written as the wizard writes one, at row; returns its row.
  std::size_t Add(std::size_t row, const std::wstring& title, const std::wstring& file, const std::wstring& current,
                  const std::wstring& option, int size);
  // Several new items, in order, at row as one step; their rows.
  struct NewItem {
    std::wstring title, file, workingFolder, arguments;
    int show = 1;
  };
  std::vector<std::size_t> Add(std::size_t row, const std::vector<NewItem>& items);
  void Remove(std::vector<std::size_t> rows);
  // Copies of the rows, byte for byte, after the last of them; their rows.
  std::vector<std::size_t> Duplicate(std::vector<std::size_t> rows);
  // The drop tool's titled blocks in text as items at row; their rows
  // (none when the text holds no block, or when it is too long to paste).
  std::vector<std::size_t> Paste(std::size_t row, std::wstring_view text);
  // The rows as the same blocks.
  std::wstring Copy(std::vector<std::size_t> rows) const;

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  void Undo();
  void Redo();
  bool Modified() const;

  // The file's bytes as the items stand.
  std::string Bytes() const;
  // Writes to path ("" for Path()): refuses text the code page cannot hold
  // before anything is written, and a file that could not be read when it
  // was opened; unless overwrite, reports a file changed on disk since it
  // was read or last saved. The file is replaced whole, and bytes it holds
  // that this document did not write (the file as opened, or as another
  // program changed it since) are kept first as "<name>.bak".
  SaveOutcome Save(bool overwrite = false, const std::wstring& path = L"");

 private:
  using Items = std::vector<std::shared_ptr<const Item>>;
  // A state of the undo history, with the bytes of the items first made in
  // it (the others are shared with a neighbouring state or the file as read).
  struct Step {
    Items items;
    std::size_t made = 0;
    std::size_t Bytes() const { return sizeof(Step) + items.capacity() * sizeof(Items::value_type) + made; }
  };
  std::shared_ptr<Item> Edit(std::size_t row, Field field);
  // Begins a new undo step, unless merge continues the last edit; true when it did.
  bool Push(std::optional<std::pair<int, Field>> merge = std::nullopt);
  // Counts a new item's bytes to the state shown.
  void Made(const Item& item);
  // Drops the oldest steps while the history holds more than kHistoryBytes.
  void Trim();
  void Keep(std::deque<Step>& steps, Step step);
  Step Take(std::deque<Step>& steps, bool newest);
  void Refresh(Item& item) const;
  std::shared_ptr<Item> Written(const NewItem& item);
  std::shared_ptr<Item> FromRecords(std::string raw, Line title, std::string second, std::vector<Line> body);

  FileSystem& fs_;
  sequence::Clock& clock_;
  NumberSeparators locale_;
  std::wstring path_;
  Items items_, saved_;
  std::deque<Step> undo_, redo_;
  std::size_t made_ = 0;          // the items first made in the state shown
  std::size_t historyBytes_ = 0;  // what undo_ and redo_ hold
  std::optional<std::pair<int, Field>> lastEdit_;
  std::optional<std::string> onDisk_;   // the file's bytes when last read or written
  std::optional<std::string> written_;  // ... when last written by this document
  bool notRead_ = false;                // the file at path_ was there but unreadable
  int nextId_ = 1;
};

}  // namespace editor
