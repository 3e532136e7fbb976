// The settings file's bytes, through the INI document and LoadSettings: one
// entry a line, saves that reload the same; each setting the file's number
// or its default. A complete file is left byte for byte; one with a key
// missing or empty is written once, its other lines kept; one that cannot be
// read is never written.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <set>
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

struct Key { const wchar_t* name; double fallback; };
constexpr Key kKeys[] = {{L"CPULimit", sequence::kDefaultCPULimit},
                         {L"MaxIdleTime", sequence::kDefaultMaxIdleTime},
                         {L"IntervalTime", sequence::kDefaultIntervalTime},
                         {L"TimerInterval", sequence::kDefaultTimerInterval}};

// Index of the first entry named key, as the document looks it up.
std::size_t Find(const std::vector<Entry>& entries, std::wstring_view key) {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (text::EqualsNoCase(entries[i].name, key)) return i;
  return entries.size();
}

// The file LoadSettings completed, against the user's: every entry the save
// keeps in its place and reading back the same, an empty key filled in where
// it stands, a missing one added at the end, both with the default.
void CheckCompleted(const IniDocument& user, const IniDocument& after) {
  const std::vector<Entry> mine = Entries(user), written = Entries(after);
  const auto isDefault = [](const Entry& w, const Key& k) { return w.value == sequence::NumberText(k.fallback); };
  std::size_t r = 0;
  for (std::size_t i = 0; i < mine.size(); ++i) {
    const Entry& e = mine[i];
    if (IsDeleted(e)) continue;
    FUZZ_CHECK(r < written.size());
    const Entry& w = written[r++];
    const Key* filled = nullptr;
    for (const Key& k : kKeys)
      if (e.kind == Kind::Item && e.value.empty() && Find(mine, k.name) == i) filled = &k;
    if (filled) FUZZ_CHECK(w.name == e.name && isDefault(w, *filled));
    else FUZZ_CHECK(!SavesStably(e) || (w.name == e.name && w.value == e.value));
  }
  for (const Key& k : kKeys) {
    if (Find(mine, k.name) != mine.size()) continue;
    FUZZ_CHECK(r < written.size() && written[r].name == k.name && isDefault(written[r], k));
    ++r;
  }
  FUZZ_CHECK(r == written.size());
}

bool SameSettings(const sequence::Settings& a, const sequence::Settings& b) {
  return a.cpuLimit == b.cpuLimit && a.maxIdleTime == b.maxIdleTime && a.intervalTime == b.intervalTime &&
         a.timerInterval == b.timerInterval && a.report == b.report && a.readyWait == b.readyWait &&
         a.skipRunning == b.skipRunning && a.guard == b.guard && a.settleWait == b.settleWait && a.timeline == b.timeline;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = L"Tarvoline.ini";
  const std::string bytes(fuzz::Bytes(data, size));
  fake::FileSystem original, fs;
  original.files[path] = fs.files[path] = bytes;
  CheckDocument(path, original, text::FromAnsi(bytes));

  original.files[path] = bytes;  // as the user wrote it, for what follows
  IniDocument user(original);
  user.Load(path);
  bool complete = true;
  for (const Key& k : kKeys) {
    const std::optional<std::wstring> v = user.Value(k.name);
    complete = complete && v && !v->empty();
  }

  // The C library's own format, which the reference parse follows.
  const NumberSeparators locale{L".", L""};
  const sequence::Settings s = sequence::LoadSettings(path, fs, locale).settings;
  IniDocument after(fs);
  after.Load(path);
  if (complete) {
    FUZZ_CHECK(fs.replacements == 0 && fs.files[path] == bytes);
  } else {
    FUZZ_CHECK(fs.replacements == 1);
    CheckCompleted(user, after);
  }

  const double* settings[] = {&s.cpuLimit, &s.maxIdleTime, &s.intervalTime, &s.timerInterval};
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const Key& k = kKeys[i];
    FUZZ_CHECK(std::isfinite(*settings[i]));
    const fuzz::Decimal d = fuzz::DecimalNumber(user.Value(k.name).value_or(L""));  // a missing or empty value is no number
    if (d.kind == fuzz::Decimal::Number) FUZZ_CHECK(*settings[i] == d.value);
    if (d.kind == fuzz::Decimal::NotNumber) FUZZ_CHECK(*settings[i] == k.fallback);
  }

  // The check reads what a start reads and writes nothing.
  fake::FileSystem checked;
  checked.files[path] = bytes;
  FUZZ_CHECK(SameSettings(sequence::LoadSettings(path, checked, locale, false).settings, s));
  FUZZ_CHECK(checked.replacements == 0);

  // A file that is there but cannot be read (hidden from a folder search,
  // failing its read, locked) gives the defaults and keeps the user's bytes.
  for (std::set<std::wstring> fake::FileSystem::*cannot :
       {&fake::FileSystem::hidden, &fake::FileSystem::unreadable, &fake::FileSystem::locked}) {
    fake::FileSystem unread;
    unread.files[path] = bytes;
    (unread.*cannot).insert(path);
    FUZZ_CHECK(SameSettings(sequence::LoadSettings(path, unread, locale).settings, sequence::Settings{}));
    FUZZ_CHECK(unread.replacements == 0 && unread.files[path] == bytes);
  }
  return 0;
}
