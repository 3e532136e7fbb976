// The INI document's parser, from the bytes of a settings file: every line
// becomes the entry the line rules give, a save reloads to the same entries,
// and lookups find the first entry of a name in any letter case.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ini/ini_mente.h"

namespace {

constexpr std::wstring_view kRemark = L"*REM*";

struct Entry {
  std::wstring name;
  Variant value;
};

// Lines end at CR LF or a lone CR; a final line end opens no extra line.
std::vector<std::wstring> Lines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::wstring line;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      line += text[i];
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

bool StartsRemark(std::wstring_view s) {
  return !s.empty() && (s[0] == L';' || s[0] == L'#' || s[0] == L'/' || s[0] == L'[');
}

Entry Expected(const std::wstring& line) {
  std::size_t eq = line.find(L'=');
  if (eq == std::wstring::npos || StartsRemark(line)) return {std::wstring(kRemark), Variant(line)};
  std::wstring name = line.substr(0, eq);
  while (!name.empty() && name.front() == L' ') name.erase(0, 1);
  while (!name.empty() && name.back() == L' ') name.pop_back();
  if (name == kRemark) return {std::wstring(kRemark), Variant(line)};
  std::wstring value = line.substr(eq + 1);
  while (!value.empty() && value.front() == L' ') value.erase(0, 1);
  return {name, value.empty() ? Variant() : Variant(value)};
}

std::vector<Entry> Entries(const iniMente& doc) {
  std::vector<Entry> out;
  for (std::ptrdiff_t i = 0; i <= doc.LastIndex(); ++i) out.push_back({doc.ItemNameAt(i), doc.ItemValueAt(i)});
  return out;
}

bool IsDeleted(const Variant& v) { return v.IsString() && v.ToString() == L"*DEL*"; }

// Whether the line the saver writes for e reads back as e itself. It does
// not for an item whose name reads as a remark marker (";x" from "  ;x=1"):
// the save comments it out, as its writer most likely meant.
bool SavesStably(const Entry& e) {
  if (e.name == kRemark) return Expected(e.value.ToString()).name == kRemark;
  return !StartsRemark(e.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = L"settings.ini";
  fuzz::OneFileSystem fs(path, std::string(fuzz::Bytes(data, size)));
  iniMente doc(fs);
  FUZZ_CHECK(doc.iniLoader(path));

  // Every line is one entry, as the line rules give it.
  const std::wstring text = text::FromAnsi(fuzz::Bytes(data, size));
  const std::vector<std::wstring> lines = Lines(text);
  const std::vector<Entry> loaded = Entries(doc);
  FUZZ_CHECK(loaded.size() == lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Entry want = Expected(lines[i]);
    FUZZ_CHECK(loaded[i].name == want.name);
    FUZZ_CHECK(loaded[i].value == want.value);
  }

  // Lookups: the first entry of that name in any letter case.
  for (std::size_t i = 0; i < loaded.size() && i < 32; ++i) {
    std::size_t first = 0;
    while (!text::EqualsNoCase(loaded[first].name, loaded[i].name)) ++first;
    FUZZ_CHECK(doc.GetiniValue(loaded[i].name, Variant(L"\x1")) == loaded[first].value);
  }

  // A save writes one line per kept entry and reloads to the same entries.
  std::size_t kept = 0;
  bool allStable = true;
  for (const Entry& e : loaded) {
    kept += !IsDeleted(e.value);
    allStable = allStable && SavesStably(e);
  }
  FUZZ_CHECK(doc.iniSaverSameFilename());
  FUZZ_CHECK(fs.Replacements() == (loaded.empty() ? 0 : 1));
  const std::wstring saved = text::FromAnsi(fs.Contents());
  FUZZ_CHECK(saved == doc.iniSavertoVariable());
  iniMente again(fs);
  FUZZ_CHECK(again.iniLoader(path));
  const std::vector<Entry> reloaded = Entries(again);
  FUZZ_CHECK(reloaded.size() == (loaded.empty() ? 0 : kept));
  std::size_t r = 0;
  for (const Entry& e : loaded) {
    if (IsDeleted(e.value)) continue;
    if (SavesStably(e)) {
      if (!(reloaded[r].name == e.name && reloaded[r].value == e.value))
        std::fprintf(stderr, "entry %zu: [%s]=[%s] reloads as [%s]=[%s]\n", r, fuzz::Show(e.name).c_str(),
                     fuzz::Show(e.value.ToString()).c_str(), fuzz::Show(reloaded[r].name).c_str(),
                     fuzz::Show(reloaded[r].value.ToString()).c_str());
      FUZZ_CHECK(reloaded[r].name == e.name);
      FUZZ_CHECK(reloaded[r].value == e.value);
    }
    ++r;
  }
  // Then a second save writes the same text.
  if (allStable) FUZZ_CHECK(again.iniSavertoVariable() == saved);

  // From memory, with any 16-bit units (as the Windows build holds text):
  // the same line rules, and the save text loads back to as many entries.
  const std::wstring units = fuzz::Utf16Units(fuzz::Bytes(data, size));
  iniMente wide;
  FUZZ_CHECK(wide.iniLoadText(units));
  const std::vector<std::wstring> unitLines = Lines(units);
  FUZZ_CHECK(wide.LastIndex() + 1 == static_cast<std::ptrdiff_t>(unitLines.size()));
  std::size_t wideKept = 0;
  for (std::size_t i = 0; i < unitLines.size(); ++i) {
    Entry want = Expected(unitLines[i]);
    FUZZ_CHECK(wide.ItemNameAt(static_cast<std::ptrdiff_t>(i)) == want.name);
    FUZZ_CHECK(wide.ItemValueAt(static_cast<std::ptrdiff_t>(i)) == want.value);
    wideKept += !IsDeleted(want.value);
  }
  iniMente wideAgain;
  wideAgain.iniLoadText(wide.iniSavertoVariable());
  FUZZ_CHECK(wideAgain.LastIndex() + 1 == static_cast<std::ptrdiff_t>(wideKept));
  return 0;
}
