#include "text_fast_read_binary.h"

#include <utility>

#include "common/text.h"

TextFastReadBinary::TextFastReadBinary(FileSystem& fs) : fs_(&fs) {}

bool TextFastReadBinary::LoadTextFile(const std::wstring& Filename) {
  if (!fs_->CanRead(Filename)) return false;
  // A read that fails after the test above leaves the reader as it was too.
  std::optional<std::string> bytes = fs_->ReadAll(Filename);
  if (!bytes) return false;
  sourceFilename_ = Filename;
  LoadText(text::FromAnsi(*bytes));
  return true;
}

void TextFastReadBinary::LoadText(std::wstring text) {
  text_ = std::move(text);
  next_ = 0;
  if (text_.empty()) {
    // At the end at once: no record, not even an empty one.
    end_ = 0;
    next_ = 1;
    return;
  }
  // Text ending in the separator would leave one empty piece behind: only
  // that one is dropped ("\1" still gives one empty record).
  end_ = text_.back() == kRecordSeparator ? text_.size() - 1 : text_.size();
}

std::wstring_view TextFastReadBinary::NextRecord() {
  if (EOFText()) return {};
  std::size_t start = next_;
  std::size_t sep = std::wstring_view(text_.data(), end_).find(kRecordSeparator, start);
  if (sep == std::wstring_view::npos) sep = end_;
  next_ = sep + 1;
  return std::wstring_view(text_.data() + start, sep - start);
}

std::size_t TextFastReadBinary::RecordsLeft() const {
  if (EOFText()) return 0;
  std::wstring_view rest(text_.data(), end_);
  std::size_t n = 1;
  for (std::size_t p = rest.find(kRecordSeparator, next_); p != std::wstring_view::npos;
       p = rest.find(kRecordSeparator, p + 1))
    ++n;
  return n;
}

std::wstring TextFastReadBinary::InputLine() { return std::wstring(NextRecord()); }

std::optional<std::vector<std::wstring>> TextFastReadBinary::GetOneLine() {
  if (EOFText()) return std::nullopt;
  std::wstring_view record = NextRecord();
  std::vector<std::wstring> lines;
  if (record.empty()) return lines;
  for (;;) {
    std::size_t end = record.find(L"\r\n");
    lines.emplace_back(record.substr(0, end));
    if (end == std::wstring_view::npos) break;
    record.remove_prefix(end + 2);
  }
  return lines;
}
