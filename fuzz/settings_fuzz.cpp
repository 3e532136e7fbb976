// The settings file's bytes, through the INI document and LoadSettings: one
// entry a line, saves that reload the same; each setting
// the file's number or its default, written back once with every key.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ini/ini_document.h"
#include "sequence/sequence_file.h"

namespace {

using Kind = IniDocument::Kind;

struct Entry { Kind kind; std::wstring name; std::wstring value; };

// Lines end at CR LF or a lone CR; a final line end opens no extra line.
std::size_t LineCount(std::wstring_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) n += text[i] == L'\r';
  return n + (!text.empty() && text.back() != L'\r' && !text.ends_with(L"\r\n"));
}

std::vector<Entry> Entries(const IniDocument& doc) {
  std::vector<Entry> out;
  for (std::size_t i = 0; i < doc.Size(); ++i) {
    const IniDocument::EntryView e = doc.At(i);
    out.push_back({e.kind, std::wstring(e.name), std::wstring(e.value)});
  }
  return out;
}

bool IsDeleted(const Entry& e) { return e.kind == Kind::Deleted; }

// Whether the first item named name is a deleted one.
bool IsDeleted(const IniDocument& doc, std::wstring_view name) {
  const std::optional<std::size_t> i = doc.Find(name);
  return i && doc.At(*i).kind == Kind::Deleted;
}

// Whether the line the saver writes for e reads back as e itself. It does
// not for an item whose name reads as a remark marker (";x" from "  ;x=1"):
// the save comments it out, as its writer most likely meant.
bool SavesStably(const Entry& e) {
  if (e.kind != Kind::Remark) return e.name.empty() || std::wstring_view(L";#/[").find(e.name[0]) == std::wstring_view::npos;
  IniDocument line(RealFileSystem());
  line.LoadText(e.value + L"\r\n");
  return line.Size() == 1 && line.At(0).kind == Kind::Remark;
}

void CheckDocument(const std::wstring& path, fake::FileSystem& fs, std::wstring_view text) {
  IniDocument doc(fs);
  FUZZ_CHECK(doc.Load(path));
  const std::vector<Entry> loaded = Entries(doc);
  FUZZ_CHECK(loaded.size() == LineCount(text));

  // A save writes one line per kept entry and reloads to the same entries;
  // then a second save writes the same text.
  const auto kept = std::count_if(loaded.begin(), loaded.end(), [](const Entry& e) { return !IsDeleted(e); });
  const bool allStable = std::all_of(loaded.begin(), loaded.end(), SavesStably);
  FUZZ_CHECK(doc.Save());
  FUZZ_CHECK(fs.replacements == (loaded.empty() ? 0 : 1));
  const std::wstring saved = text::FromAnsi(fs.files[path]);
  FUZZ_CHECK(saved == doc.SaveText());
  IniDocument again(fs);
  FUZZ_CHECK(again.Load(path));
  const std::vector<Entry> reloaded = Entries(again);
  FUZZ_CHECK(reloaded.size() == (loaded.empty() ? 0 : static_cast<std::size_t>(kept)));
  std::size_t r = 0;
  for (const Entry& e : loaded) {
    if (IsDeleted(e)) continue;
    FUZZ_CHECK(!SavesStably(e) || (reloaded[r].kind == e.kind && reloaded[r].name == e.name && reloaded[r].value == e.value));
    ++r;
  }
  if (allStable) FUZZ_CHECK(again.SaveText() == saved);
}

struct Key { const wchar_t* name; const double* setting; double fallback; };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = L"Tarvoline.ini";
  const std::string bytes(fuzz::Bytes(data, size));
  fake::FileSystem original, fs;
  original.files[path] = fs.files[path] = bytes;
  CheckDocument(path, original, text::FromAnsi(bytes));

  // The C library's own format, which the reference parse follows.
  const sequence::Settings s = sequence::LoadSettings(path, fs, NumberSeparators{L".", L""}).settings;
  FUZZ_CHECK(fs.replacements == 1);
  original.files[path] = bytes;  // as the user wrote it, for what follows
  IniDocument user(original), after(fs);
  user.Load(path);
  after.Load(path);

  const Key keys[] = {{L"CPULimit", &s.CPULimit, sequence::kDefaultCPULimit},
                      {L"MaxIdleTime", &s.MaxIdleTime, sequence::kDefaultMaxIdleTime},
                      {L"IntervalTime", &s.IntervalTime, sequence::kDefaultIntervalTime},
                      {L"TimerInterval", &s.TimerInterval, sequence::kDefaultTimerInterval}};
  for (const Key& k : keys) {
    FUZZ_CHECK(std::isfinite(*k.setting));
    std::optional<std::wstring> mine = user.Value(k.name);
    const fuzz::Decimal d = fuzz::DecimalNumber(mine.value_or(L""));  // a missing or empty value is no number
    if (d.kind == fuzz::Decimal::Number) FUZZ_CHECK(*k.setting == d.value);
    if (d.kind == fuzz::Decimal::NotNumber) FUZZ_CHECK(*k.setting == k.fallback);
    // Written back: the user's text as it was, or the default filled in.
    std::optional<std::wstring> saved = after.Value(k.name);
    if (!IsDeleted(user, k.name))
      FUZZ_CHECK(!mine || mine->empty() ? saved == sequence::NumberText(k.fallback) : saved == mine);
  }
  return 0;
}
