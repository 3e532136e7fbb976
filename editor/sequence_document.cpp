#include "editor/sequence_document.h"

#include <algorithm>
#include <set>
#include <utility>

#include "common/text.h"
#include "ini/sequence_records.h"
#include "sequence/sequence_file.h"

namespace editor {

namespace {

// Byte 1 ends a record in every ANSI code page and is never part of a
// longer character, so the bytes may be cut at it before any conversion.
constexpr char kRecordEnd = '\x01';
constexpr std::wstring_view kDateColon = L"\uFF1A";

std::wstring Wide(const Line& line) { return text::FromAnsi(line.bytes) + (line.typed ? line.text : L""); }
std::string LineBytes(const Line& line) { return line.bytes + (line.typed ? text::ToAnsi(line.text) : std::string()); }

// The key a body line sets as the record loader reads it ("" for none).
std::wstring KeyOf(const Line& line) {
  const std::wstring w = Wide(line);
  if (w.empty() || w[0] == L'#' || w[0] == L';') return {};
  const std::size_t eq = w.find(L'=');
  return eq == std::wstring::npos ? std::wstring() : std::wstring(text::Trim(std::wstring_view(w).substr(0, eq)));
}

const wchar_t* KeyName(Field f) {
  switch (f) {
    case Field::File: return L"File";
    case Field::Current: return L"Current";
    case Field::Option: return L"Option";
    case Field::Size: return L"Size";
    case Field::NoUse: return L"NoUse";
    default: return L"Title";
  }
}

// The key's line in the form the wizard writes it.
std::string KeyPrefix(Field f) {
  switch (f) {
    case Field::Size: return "Size = ";
    case Field::NoUse: return "NoUse = ";
    default: return text::ToAnsi(KeyName(f)) + "=";
  }
}

// Sets the key's line: the last line naming it (the one the loader keeps)
// is replaced in place, else one is added after the body's last line that
// holds anything, so a closing line end stays last.
void SetKeyLine(std::vector<Line>& body, Field f, Line line) {
  for (std::size_t i = body.size(); i-- > 0;)
    if (text::EqualsNoCase(KeyOf(body[i]), KeyName(f))) {
      body[i] = std::move(line);
      return;
    }
  std::size_t at = body.size();
  while (at > 0 && Wide(body[at - 1]).empty()) --at;
  if (at == 0 && !body.empty()) body[0] = std::move(line);
  else body.insert(body.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::vector<std::size_t> Unique(std::vector<std::size_t> rows, std::size_t count) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  while (!rows.empty() && rows.back() >= count) rows.pop_back();
  return rows;
}

Line Plain(std::string bytes) {
  Line line;
  line.bytes = std::move(bytes);
  return line;
}

Line Typed(std::string prefix, std::wstring_view value, std::wstring field) {
  return Line{std::move(prefix), sequence::RecordText(value), true, std::move(field)};
}

std::vector<Line> SplitBody(std::string_view body) {
  std::vector<Line> lines;
  for (;;) {
    const std::size_t end = body.find("\r\n");
    lines.push_back(Plain(std::string(body.substr(0, end))));
    if (end == std::string_view::npos) return lines;
    body.remove_prefix(end + 2);
  }
}

// About what an item takes in memory, for the history's bound.
std::size_t Weight(const Item& item) {
  const auto wide = [](const std::wstring& w) { return w.size() * sizeof(wchar_t); };
  const auto line = [&](const Line& l) { return sizeof(Line) + l.bytes.size() + wide(l.text) + wide(l.field); };
  std::size_t n = sizeof(Item) + item.raw.size() + line(item.title) + item.second.size() + wide(item.view.title) +
                  wide(item.view.file) + wide(item.view.workingFolder) + wide(item.view.arguments);
  for (const Line& l : item.body) n += line(l);
  return n;
}

}  // namespace

SequenceDocument::SequenceDocument(FileSystem& fs, sequence::Clock& clock, NumberSeparators locale)
    : fs_(fs), clock_(clock), locale_(std::move(locale)) {}

bool SequenceDocument::Open(const std::wstring& path) {
  path_ = path;
  std::optional<std::string> bytes = fs_.ReadAll(path);
  Load(bytes ? *bytes : std::string());
  onDisk_ = std::move(bytes);
  notRead_ = !onDisk_ && fs_.Exists(path);
  return !notRead_;
}

void SequenceDocument::Load(std::string_view bytes) {
  items_.clear();
  undo_.clear();
  redo_.clear();
  made_ = historyBytes_ = 0;
  lastEdit_.reset();
  onDisk_.reset();
  written_.reset();
  notRead_ = false;
  // Three records an item, the last one cut short as the file may end it.
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t start = pos;
    std::string records[3];
    for (int n = 0; n < 3 && pos < bytes.size(); ++n) {
      const std::size_t end = std::min(bytes.find(kRecordEnd, pos), bytes.size());
      records[n] = bytes.substr(pos, end - pos);
      pos = end + 1;
    }
    pos = std::min(pos, bytes.size());
    std::shared_ptr<Item> item = FromRecords(std::string(bytes.substr(start, pos - start)), Plain(records[0]),
                                             std::move(records[1]), SplitBody(records[2]));
    item->pristine = true;
    items_.push_back(std::move(item));
  }
  saved_ = items_;
}

std::shared_ptr<Item> SequenceDocument::FromRecords(std::string raw, Line title, std::string second,
                                                     std::vector<Line> body) {
  auto item = std::make_shared<Item>();
  item->id = nextId_++;
  item->raw = std::move(raw);
  item->title = std::move(title);
  item->title.field = L"Title";
  item->second = std::move(second);
  item->body = std::move(body);
  Refresh(*item);
  return item;
}

// The view through the loader itself, so the editor shows what a start reads.
void SequenceDocument::Refresh(Item& item) const {
  std::wstring text = Wide(item.title) + L'\x01' + text::FromAnsi(item.second) + L'\x01';
  for (std::size_t i = 0; i < item.body.size(); ++i) text += (i ? L"\r\n" : L"") + Wide(item.body[i]);
  const std::vector<records::Item> docs = records::FromText(text, fs_);
  const sequence::SequenceItem read = sequence::ReadItem(docs.at(0), locale_);
  item.view = ItemView{read.title, read.file, read.workingFolder, read.arguments, read.show, !sequence::IsLeftOut(docs[0])};
}

std::size_t SequenceDocument::SwitchedOffCount() const {
  return static_cast<std::size_t>(
      std::count_if(items_.begin(), items_.end(), [](const auto& i) { return !i->view.switchedOn; }));
}

std::optional<int> SequenceDocument::RunPosition(std::size_t row) const {
  if (row >= items_.size() || !items_[row]->view.switchedOn) return std::nullopt;
  return static_cast<int>(std::count_if(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(row) + 1,
                                        [](const auto& i) { return i->view.switchedOn; }));
}

std::optional<std::size_t> SequenceDocument::RowOfRunPosition(int position) const {
  int counted = 0;
  for (std::size_t r = 0; r < items_.size(); ++r)
    if (items_[r]->view.switchedOn && ++counted == position) return r;
  return std::nullopt;
}

std::optional<std::size_t> SequenceDocument::RowOf(int id) const {
  for (std::size_t r = 0; r < items_.size(); ++r)
    if (items_[r]->id == id) return r;
  return std::nullopt;
}

void SequenceDocument::Keep(std::deque<Step>& steps, Step step) {
  historyBytes_ += step.Bytes();
  steps.push_back(std::move(step));
}

SequenceDocument::Step SequenceDocument::Take(std::deque<Step>& steps, bool newest) {
  Step step = std::move(newest ? steps.back() : steps.front());
  newest ? steps.pop_back() : steps.pop_front();
  historyBytes_ -= step.Bytes();
  return step;
}

void SequenceDocument::Trim() {
  // The oldest undo steps first, then the redo steps farthest from the state shown.
  while (historyBytes_ > kHistoryBytes && !(undo_.empty() && redo_.empty()))
    Take(undo_.empty() ? redo_ : undo_, false);
}

void SequenceDocument::Made(const Item& item) { made_ += Weight(item); }

bool SequenceDocument::Push(std::optional<std::pair<int, Field>> merge) {
  const bool begun = !(merge && merge == lastEdit_);
  if (begun) {
    Keep(undo_, Step{items_, made_});
    made_ = 0;
  }
  while (!redo_.empty()) Take(redo_, true);
  lastEdit_ = merge;
  Trim();
  return begun;
}

std::shared_ptr<Item> SequenceDocument::Edit(std::size_t row, Field field) {
  // Typing on in one field replaces the item its first key made.
  if (!Push(std::pair(items_[row]->id, field))) made_ -= std::min(made_, Weight(*items_[row]));
  auto item = std::make_shared<Item>(*items_[row]);
  item->pristine = false;
  items_[row] = item;
  return item;
}

void SequenceDocument::SetText(std::size_t row, Field field, const std::wstring& value) {
  if (row >= items_.size()) return;
  const ItemView& v = items_[row]->view;
  const std::wstring clean = sequence::RecordText(value);
  const std::wstring& now = field == Field::Title ? v.title
                            : field == Field::File  ? v.file
                            : field == Field::Current ? v.workingFolder
                                                      : v.arguments;
  if (clean == now || field == Field::Size || field == Field::NoUse) return;
  const std::wstring file = v.file;  // v goes with the item an edit replaces
  std::shared_ptr<Item> item = Edit(row, field);
  if (field == Field::Title) {
    // The record keeps its date form; one without a date gets today's, so
    // the title reads back as typed whatever it looks like.
    std::string prefix;
    if (item->title.typed) {
      prefix = item->title.bytes;
    } else {
      const std::wstring header = Wide(item->title);
      std::wstring title;
      if (sequence::ParseItemTitle(header, title)) {
        prefix = text::ToAnsi(std::wstring_view(header).substr(0, header.size() - title.size()));
        if (text::FromAnsi(item->title.bytes.substr(0, prefix.size())) == header.substr(0, header.size() - title.size()))
          prefix = item->title.bytes.substr(0, prefix.size());
      } else {
        prefix = text::ToAnsi(sequence::FormatDate(clock_.Today()) + std::wstring(kDateColon));
      }
    }
    item->title = Typed(std::move(prefix), sequence::RecordTitle(value, file), L"Title");
  } else {
    SetKeyLine(item->body, field, Typed(KeyPrefix(field), value, KeyName(field)));
  }
  Refresh(*item);
  Made(*item);
}

void SequenceDocument::SetShow(std::size_t row, int size) {
  if (row >= items_.size() || items_[row]->view.show == size) return;
  std::shared_ptr<Item> item = Edit(row, Field::Size);
  SetKeyLine(item->body, Field::Size, Plain(KeyPrefix(Field::Size) + std::to_string(size)));
  Refresh(*item);
  Made(*item);
}

void SequenceDocument::SetSwitchedOn(std::size_t row, bool on) {
  if (row >= items_.size() || items_[row]->view.switchedOn == on) return;
  std::shared_ptr<Item> item = Edit(row, Field::NoUse);
  SetKeyLine(item->body, Field::NoUse, Plain(KeyPrefix(Field::NoUse) + (on ? "0" : "1")));
  Refresh(*item);
  Made(*item);
}

std::vector<std::size_t> SequenceDocument::Move(std::vector<std::size_t> rows, int delta) {
  rows = Unique(std::move(rows), items_.size());
  Items moved = items_;
  std::vector<char> selected(moved.size());
  for (std::size_t r : rows) selected[r] = true;
  for (int step = 0; step < std::abs(delta); ++step) {
    // Each row steps over an unselected neighbour; a row at the end stays.
    const std::size_t n = moved.size();
    for (std::size_t k = 1; k < n; ++k) {
      const std::size_t i = delta < 0 ? k : n - 1 - k;
      const std::size_t j = delta < 0 ? i - 1 : i + 1;
      if (selected[i] && !selected[j]) {
        std::swap(moved[i], moved[j]);
        std::swap(selected[i], selected[j]);
      }
    }
  }
  if (moved != items_) {
    Push();
    items_ = std::move(moved);
  }
  rows.clear();
  for (std::size_t r = 0; r < selected.size(); ++r)
    if (selected[r]) rows.push_back(r);
  return rows;
}

std::vector<std::size_t> SequenceDocument::MoveTo(std::vector<std::size_t> rows, std::size_t before) {
  rows = Unique(std::move(rows), items_.size());
  before = std::min(before, items_.size());
  Items block, rest;
  std::size_t at = before;
  for (std::size_t r = 0, k = 0; r < items_.size(); ++r) {
    if (k < rows.size() && rows[k] == r) {
      block.push_back(items_[r]);
      ++k;
      if (r < before) --at;
    } else {
      rest.push_back(items_[r]);
    }
  }
  rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
  if (rest != items_) {
    Push();
    items_ = std::move(rest);
  }
  std::vector<std::size_t> now(block.size());
  for (std::size_t k = 0; k < now.size(); ++k) now[k] = at + k;
  return now;
}

std::shared_ptr<Item> SequenceDocument::Written(const NewItem& item) {
  // The records the wizard's sequence::ItemRecords and ItemBody make, each
  // text kept as typed until the save checks it against the code page.
  std::vector<Line> body{Typed("File=", item.file, L"File"), Typed("Current=", item.workingFolder, L"Current"),
                         Typed("Option=", item.arguments, L"Option"), Plain("Size = " + std::to_string(item.show)),
                         Plain("NoUse = 0")};
  Line head = Typed(text::ToAnsi(sequence::FormatDate(clock_.Today()) + std::wstring(kDateColon)),
                    sequence::RecordTitle(item.title, item.file), L"Title");
  return FromRecords({}, std::move(head), {}, std::move(body));
}

std::size_t SequenceDocument::Add(std::size_t row, const std::wstring& title, const std::wstring& file,
                                  const std::wstring& current, const std::wstring& option, int size) {
  return Add(row, std::vector<NewItem>{{title, file, current, option, size}}).front();
}

std::vector<std::size_t> SequenceDocument::Add(std::size_t row, const std::vector<NewItem>& items) {
  row = std::min(row, items_.size());
  if (items.empty()) return {};
  Push();
  std::vector<std::size_t> rows;
  for (const NewItem& item : items) {
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(row + rows.size()), Written(item));
    Made(*items_[row + rows.size()]);
    rows.push_back(row + rows.size());
  }
  return rows;
}

void SequenceDocument::Remove(std::vector<std::size_t> rows) {
  rows = Unique(std::move(rows), items_.size());
  if (rows.empty()) return;
  Push();
  for (std::size_t k = rows.size(); k-- > 0;) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(rows[k]));
}

std::vector<std::size_t> SequenceDocument::Duplicate(std::vector<std::size_t> rows) {
  rows = Unique(std::move(rows), items_.size());
  if (rows.empty()) return {};
  Push();
  Items copies;
  for (std::size_t r : rows) {
    auto copy = std::make_shared<Item>(*items_[r]);
    copy->id = nextId_++;
    Made(*copy);
    copies.push_back(std::move(copy));
  }
  const std::size_t at = rows.back() + 1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), copies.begin(), copies.end());
  std::vector<std::size_t> now(copies.size());
  for (std::size_t k = 0; k < now.size(); ++k) now[k] = at + k;
  return now;
}

std::vector<std::size_t> SequenceDocument::Paste(std::size_t row, std::wstring_view text) {
  if (!CanPaste(text)) return {};
  row = std::min(row, items_.size());
  std::vector<std::wstring> lines;
  for (;;) {
    const std::size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::wstring_view::npos) break;
    text.remove_prefix(end + 1);
  }
  Items pasted;
  // "@", the title record, the hyphens, body lines up to the equals signs;
  // anything around the blocks is passed over.
  for (std::size_t i = 0; i + 3 < lines.size(); ++i) {
    if (lines[i] != L"@" || lines[i + 2] != sequence::kBlockTitleRule) continue;
    std::size_t end = i + 3;
    while (end < lines.size() && lines[end] != sequence::kBlockEndRule) ++end;
    if (end == lines.size()) break;
    std::vector<Line> body;
    for (std::size_t k = i + 3; k < end; ++k) {
      Line line = Typed({}, lines[k], {});
      line.field = KeyOf(line);
      body.push_back(std::move(line));
    }
    if (body.empty()) body.push_back(Plain({}));
    pasted.push_back(FromRecords({}, Typed({}, lines[i + 1], L"Title"), {}, std::move(body)));
    i = end;
  }
  if (pasted.empty()) return {};
  Push();
  for (const auto& item : pasted) Made(*item);
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(row), pasted.begin(), pasted.end());
  std::vector<std::size_t> now(pasted.size());
  for (std::size_t k = 0; k < now.size(); ++k) now[k] = row + k;
  return now;
}

std::wstring SequenceDocument::Copy(std::vector<std::size_t> rows) const {
  std::wstring out;
  for (std::size_t r : Unique(std::move(rows), items_.size())) {
    const Item& item = *items_[r];
    std::wstring body;
    for (std::size_t i = 0; i < item.body.size(); ++i) body += (i ? L"\r\n" : L"") + Wide(item.body[i]);
    out += sequence::ClipboardBlock(Wide(item.title), body);
  }
  return out;
}

void SequenceDocument::Undo() {
  if (undo_.empty()) return;
  Keep(redo_, Step{std::move(items_), made_});
  Step back = Take(undo_, true);
  items_ = std::move(back.items);
  made_ = back.made;
  lastEdit_.reset();
  Trim();
}

void SequenceDocument::Redo() {
  if (redo_.empty()) return;
  Keep(undo_, Step{std::move(items_), made_});
  Step next = Take(redo_, true);
  items_ = std::move(next.items);
  made_ = next.made;
  lastEdit_.reset();
  Trim();
}

bool SequenceDocument::Modified() const { return items_ != saved_; }

std::string SequenceDocument::Bytes() const {
  std::string out;
  for (std::size_t r = 0; r < items_.size(); ++r) {
    const Item& item = *items_[r];
    // An item cut short by the end of the file stays so only while it is last.
    if (item.pristine && (r + 1 == items_.size() || std::count(item.raw.begin(), item.raw.end(), kRecordEnd) == 3)) {
      out += item.raw;
      continue;
    }
    out += LineBytes(item.title) + kRecordEnd + item.second + kRecordEnd;
    for (std::size_t i = 0; i < item.body.size(); ++i) out += (i ? "\r\n" : "") + LineBytes(item.body[i]);
    out += kRecordEnd;
  }
  return out;
}

SaveOutcome SequenceDocument::Save(bool overwrite, const std::wstring& path) {
  for (std::size_t r = 0; r < items_.size(); ++r) {
    const Item& item = *items_[r];
    if (item.title.typed && !text::ToAnsiExact(item.title.text)) return {SaveOutcome::NotInCodePage, r, L"Title"};
    for (const Line& line : item.body)
      if (line.typed && !text::ToAnsiExact(line.text)) return {SaveOutcome::NotInCodePage, r, line.field};
  }
  const std::wstring target = path.empty() ? path_ : path;
  const bool same = target == path_;
  // Items never shown cannot be kept by writing the ones shown.
  if (same && notRead_) return {SaveOutcome::NotRead, 0, {}};
  std::optional<std::string> before = fs_.ReadAll(target);
  if (!before && fs_.Exists(target)) return {SaveOutcome::WriteFailed, 0, {}};
  if (same && !overwrite && before != onDisk_) return {SaveOutcome::ChangedOnDisk, 0, {}};
  // Bytes this document did not write go to the backup before they are
  // replaced: the file as opened, or as another program left it since.
  if (before && !(same && before == written_) && !fs_.ReplaceContents(target + L".bak", *before))
    return {SaveOutcome::WriteFailed, 0, {}};
  std::string bytes = Bytes();
  if (!fs_.ReplaceContents(target, bytes)) return {SaveOutcome::WriteFailed, 0, {}};
  path_ = target;
  notRead_ = false;
  onDisk_ = bytes;
  written_ = std::move(bytes);
  saved_ = items_;
  return {SaveOutcome::Saved, 0, {}};
}

}  // namespace editor
