#include "editor/settings_document.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "common/text.h"
#include "common/ui_text.h"
#include "ini/ini_document.h"
#include "sequence/sequence_check.h"

namespace editor {

namespace {

// One line of the file: its bytes, then the line end it had ("" for a last
// line without one).
struct RawLine {
  std::string bytes;
  std::string end;
};

// Cut as the INI document cuts the text: at CR LF or a lone CR. A byte 13 is
// never part of a longer character, so the bytes may be cut before any
// conversion and line i is the document's entry i.
std::vector<RawLine> SplitLines(std::string_view bytes) {
  std::vector<RawLine> lines;
  while (!bytes.empty()) {
    const std::size_t cr = bytes.find('\r');
    if (cr == std::string_view::npos) {
      lines.push_back({std::string(bytes), {}});
      break;
    }
    const std::size_t endSize = cr + 1 < bytes.size() && bytes[cr + 1] == '\n' ? 2 : 1;
    lines.push_back({std::string(bytes.substr(0, cr)), std::string(bytes.substr(cr, endSize))});
    bytes.remove_prefix(cr + endSize);
  }
  return lines;
}

IniDocument DocumentOf(const std::vector<RawLine>& lines, FileSystem& fs) {
  std::wstring text;
  for (const RawLine& line : lines) text += text::FromAnsi(line.bytes) + L"\r\n";
  IniDocument doc(fs);
  doc.LoadText(text);
  return doc;
}

// The key's value as LoadSettings reads it.
double ReadValue(const IniDocument& doc, const SettingKey& key, const NumberSeparators& locale) {
  const std::optional<std::wstring> text = doc.Value(key.name);
  const double n = (text ? sequence::SettingNumber(*text, locale) : std::nullopt).value_or(key.defaultValue);
  if (!key.isSwitch) return n;
  return (key.onlyOne ? n == 1 : n != 0) ? 1 : 0;
}

}  // namespace

std::wstring FormatSettingNumber(double value, const NumberSeparators& locale) {
  // Fixed notation: the reader takes no exponent in the locale's form. Room
  // for any double a file may hold (the smallest has 326 places).
  char buffer[512];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::wstring out(buffer, r.ptr);
  if (const std::size_t point = out.find(L'.'); point != std::wstring::npos && !locale.decimal.empty())
    out.replace(point, 1, locale.decimal);
  return out;
}

SettingsDocument::SettingsDocument(FileSystem& fs, NumberSeparators locale) : fs_(fs), locale_(std::move(locale)) {}

SettingsDocument::FileState SettingsDocument::Open(const std::wstring& path) {
  path_ = path;
  std::optional<std::string> bytes;
  // As the INI document loads it: a hidden file counts as none for a start.
  if (fs_.IsOrdinaryFile(path)) bytes = fs_.ReadAll(path);
  Read(bytes ? *bytes : std::string());
  onDisk_ = std::move(bytes);
  state_ = onDisk_ ? FileState::Loaded : fs_.Exists(path) ? FileState::Unreadable : FileState::Missing;
  return state_;
}

void SettingsDocument::Read(std::string_view bytes) {
  const IniDocument doc = DocumentOf(SplitLines(bytes), fs_);
  for (std::size_t k = 0; k < kSettingCount; ++k) value_[k] = read_[k] = ReadValue(doc, kSettingKeys[k], locale_);
}

bool SettingsDocument::Modified() const {
  for (std::size_t k = 0; k < kSettingCount; ++k)
    if (Changed(k)) return true;
  return false;
}

std::optional<std::wstring> SettingsDocument::SetText(std::size_t key, std::wstring_view typed) {
  const SettingKey& k = kSettingKeys[key];
  const std::wstring_view trimmed = text::Trim(typed, L" \t");
  if (!trimmed.empty() && sequence::check::ThousandsMisplaced(trimmed, locale_))
    return ui::Format(ui::Text(texts::kRefusedThousands),
                      {k.name, trimmed, locale_.thousands, locale_.decimal.empty() ? L"." : locale_.decimal});
  const std::optional<double> d = trimmed.empty() ? std::nullopt : sequence::ParseSettingNumber(trimmed, locale_);
  if (!d || !std::isfinite(*d) || *d < k.min || *d > k.max || (k.whole && *d != std::floor(*d)))
    return ui::Format(ui::Text(k.whole ? texts::kRefusedWholeNumber : texts::kRefusedNumber),
                      {k.name, FormatSettingNumber(k.min, locale_), FormatSettingNumber(k.max, locale_), ui::Text(k.unit)});
  value_[key] = *d;
  return std::nullopt;
}

void SettingsDocument::SetOn(std::size_t key, bool on) { value_[key] = on ? 1 : 0; }

std::string SettingsDocument::Bytes() const {
  std::vector<RawLine> lines = SplitLines(onDisk_ ? *onDisk_ : std::string());
  const IniDocument doc = DocumentOf(lines, fs_);
  // Keys the file lacks go after its last line that holds anything, so that
  // closing blank lines stay last.
  std::size_t at = lines.size();
  while (at > 0 && lines[at - 1].bytes.empty()) --at;
  for (std::size_t k = 0; k < kSettingCount; ++k) {
    if (!Changed(k)) continue;
    const SettingKey& key = kSettingKeys[k];
    // The number as the locale writes it unless the code page cannot hold
    // its decimal separator; then with a point, which the reader also takes.
    std::string value = key.isSwitch ? (value_[k] != 0 ? "1" : "0") : text::ToAnsi(Text(k));
    if (!key.isSwitch && sequence::ParseSettingNumber(text::FromAnsi(value), locale_) != value_[k])
      value = text::ToAnsi(FormatSettingNumber(value_[k], {L".", L""}));
    if (const std::optional<std::size_t> found = doc.Find(key.name)) {
      // The first line naming the key is the one a start reads; its name,
      // "=" and the spaces after it stay as the user wrote them.
      std::string& bytes = lines[*found].bytes;
      const std::size_t valueAt = bytes.find_first_not_of(' ', bytes.find('=') + 1);
      bytes = bytes.substr(0, valueAt == std::string::npos ? bytes.size() : valueAt) + value;
      continue;
    }
    if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = "\r\n";
    // In the form Tarvoline writes its keys.
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at++), {text::ToAnsi(key.name) + " = " + value, "\r\n"});
  }
  std::string out;
  for (const RawLine& line : lines) out += line.bytes + line.end;
  return out;
}

SettingsDocument::SaveStatus SettingsDocument::Save(bool overwrite) {
  if (state_ == FileState::Unreadable) return SaveStatus::WriteFailed;
  if (!Modified()) return SaveStatus::Saved;
  std::optional<std::string> now = fs_.ReadAll(path_);
  if (!now && fs_.Exists(path_)) return SaveStatus::WriteFailed;
  if (now != onDisk_) {
    if (!overwrite) return SaveStatus::ChangedOnDisk;
    // The changes go into the file as it now is; the other keys read as it has them.
    std::optional<double> wanted[kSettingCount];
    for (std::size_t k = 0; k < kSettingCount; ++k)
      if (Changed(k)) wanted[k] = value_[k];
    Read(now ? *now : std::string());
    for (std::size_t k = 0; k < kSettingCount; ++k)
      if (wanted[k]) value_[k] = *wanted[k];
    onDisk_ = std::move(now);
  }
  const std::string bytes = Bytes();
  if (!fs_.ReplaceContents(path_, bytes)) return SaveStatus::WriteFailed;
  Read(bytes);
  onDisk_ = bytes;
  state_ = FileState::Loaded;
  return SaveStatus::Saved;
}

}  // namespace editor
