// TextFastReadBinary: reads a whole record file at once and hands its records
// out one after another. A record is the text between two U+0001 separators
// and may hold several CR LF lines (the sequence file is written this way).
//
// The file is read with one call through the FileSystem seam and converted
// from the system ANSI code page with one call (text::FromAnsi); the records
// are then cut from that one text as they are handed out, so a load costs
// one pass whatever the number of records. Reading is forward only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fileio.h"

class TextFastReadBinary {
 public:
  // fs must outlive the reader.
  explicit TextFastReadBinary(FileSystem& fs = RealFileSystem());

  // Loads Filename. False when it cannot be opened or read: the reader is
  // then left exactly as it was. True otherwise (an empty file included,
  // after which the reader is at its end at once); SourceFilename() becomes
  // Filename. Text ending in U+0001 does not give a trailing empty record
  // (only one is dropped: "A\1\1" gives "A" and "").
  bool LoadTextFile(const std::wstring& Filename);

  // The same load from text already in memory (SourceFilename() unchanged).
  void LoadText(std::wstring text);

  // The next record as it stands, CR LF included; "" at the end (the
  // position then stays where it is).
  std::wstring InputLine();
  // InputLine without the copy: a view into the reader's text, valid until
  // the next load or the reader's end. Empty at the end.
  std::wstring_view NextRecord();

  // The next record cut at every CR LF pair (a lone CR or LF stays in its
  // line); an empty record gives no elements, a record ending in CR LF gives
  // a last element "". nullopt at the end, without moving.
  std::optional<std::vector<std::wstring>> GetOneLine();

  // True when the last record has been handed out. A reader that never
  // loaded holds one empty record.
  bool EOFText() const { return next_ > end_; }
  // How many records are still to be handed out (one pass over the rest).
  std::size_t RecordsLeft() const;

  const std::wstring& SourceFilename() const { return sourceFilename_; }

 private:
  static constexpr wchar_t kRecordSeparator = L'\x0001';

  FileSystem* fs_;
  std::wstring sourceFilename_;
  // The whole text once; records are the stretches of text_[0, end_) between
  // separators, end_ leaving out one final separator.
  std::wstring text_;
  std::size_t end_ = 0;
  // Start of the next record; past end_ once the last one is handed out.
  std::size_t next_ = 0;
};
