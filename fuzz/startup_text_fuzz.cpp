// Text the user or a program controls at start-up: item titles and their
// date prefix, command lines and Run values, the switched-off record, and any
// item as written reading back as exactly that one item.
#include <algorithm>
#include <cstdint>

#include "autostart/command_line.h"
#include "sequence/item_text.h"
#include "common/path_rules.h"
#include "common/text.h"
#include "fuzz/fuzz_support.h"
#include "ini/sequence_records.h"
#include "sequence/sequence_file.h"
#include "sequencer/entry.h"
#include "wizard/generation.h"
#include "wizard/switch_off.h"

namespace {

bool At(const std::wstring& s, std::size_t i, wchar_t c) { return i < s.size() && s[i] == c; }

// The two date prefixes: "yyyy/mm/dd：" and "yyyy/mm/dd" + ten characters +
// "［題］：", where only the slashes and the marker count.
std::size_t PrefixLength(const std::wstring& h) {
  if (!At(h, 4, L'/') || !At(h, 7, L'/')) return 0;
  if (At(h, 10, L'：')) return 11;
  if (h.size() >= 24 && h.compare(20, 4, L"［題］：") == 0) return 24;
  return 0;
}

bool LedByBlank(const std::wstring& s) { return !s.empty() && (s[0] == L' ' || s[0] == L'\t'); }

// A text as a record must hold it: U+0001 and the line ends as blanks.
std::wstring Cleaned(std::wstring s) {
  for (wchar_t& c : s)
    if (c == 1 || c == L'\r' || c == L'\n' || c == 0x85 || c == 0x2028 || c == 0x2029) c = L' ';
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Either form of text: as a Shift-JIS/UTF-8 file gives it, or raw UTF-16.
  const std::string_view bytes = fuzz::Bytes(data, size);
  const std::wstring input = size && (data[0] & 1) ? fuzz::Utf16Units(bytes.substr(1))
                                                   : text::FromAnsi(bytes.substr(size ? 1 : 0));

  std::wstring title = L"stale";
  const std::size_t prefix = PrefixLength(input);
  FUZZ_CHECK(sequence::ParseItemTitle(input, title) == (prefix != 0));
  FUZZ_CHECK(title == input.substr(prefix));

  // The argument text is a tail of the command line, never led by a blank,
  // and a program name in quotes hides its blanks.
  const std::wstring args = sequencer::ArgumentText(input);
  FUZZ_CHECK(args.size() <= input.size() && input.ends_with(args) && !LedByBlank(args));
  if (!args.empty()) {
    const std::size_t nameEnd = input.size() - args.size();
    FUZZ_CHECK(nameEnd > 0 && (input[nameEnd - 1] == L' ' || input[nameEnd - 1] == L'\t'));
    FUZZ_CHECK(std::count(input.begin(), input.begin() + nameEnd, L'"') % 2 == 0);
  }

  // A Run value: the one existing program is found wherever the text names it whole.
  fake::FileSystem files;
  files.files[L"/bin/tool.exe"] = "";
  const autostart::Split split = autostart::SplitCommandLine(input, {L"/bin"}, files);
  FUZZ_CHECK(!LedByBlank(split.arguments) && input.find(split.arguments) != std::wstring::npos);
  if (split.found) FUZZ_CHECK(split.program == L"/bin/tool.exe");

  // The input in four pieces as one item's title, File, Current and Option.
  const std::size_t q = input.size() / 4;
  const std::wstring name = input.substr(0, q), file = input.substr(q, q), current = input.substr(2 * q, q),
                     option = input.substr(3 * q);
  fake::Clock clock;
  const std::vector<records::Item> items = records::FromText(sequence::ItemRecords(
      sequence::RecordTitle(name, file), sequence::ItemBody(file, current, option, 1), clock), files);
  FUZZ_CHECK(items.size() == 1);
  std::wstring readTitle;
  FUZZ_CHECK(sequence::ParseItemTitle(items[0].title, readTitle));
  const bool blank = Cleaned(name).find_first_not_of(L' ') == std::wstring::npos;
  FUZZ_CHECK(readTitle == Cleaned(blank ? paths::FileName(file) : name));
  auto value = [&](const wchar_t* key) { return items[0].body.Value(key).value_or(L""); };
  FUZZ_CHECK(value(L"File") == text::Trim(Cleaned(file)));  // the reader trims values
  FUZZ_CHECK(value(L"Current") == text::Trim(Cleaned(current)));
  FUZZ_CHECK(value(L"Option") == text::Trim(Cleaned(option)));
  FUZZ_CHECK(value(L"Size") == L"1" && value(L"NoUse") == L"0");

  if (auto changes = wizard::switchoff::ParseRecord(bytes)) {
    const std::string again = wizard::switchoff::FormatRecord(*changes);
    FUZZ_CHECK(wizard::switchoff::ParseRecord(again) == changes);
    for (char c : again) FUZZ_CHECK((static_cast<unsigned char>(c) & 0x80) == 0);
  }
  return 0;
}
