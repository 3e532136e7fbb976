// The title record and the command line as Tarvoline reads them: a title
// keeps exactly the text after a recognised date prefix, the argument text
// is the tail of the command line after the program name, and a check
// command takes its path from that tail.
#include <cstdint>

#include "common/text.h"
#include "fuzz/fuzz_support.h"
#include "sequencer/sequence_check.h"
#include "sequencer/startup.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Either form of text: as a Shift-JIS/UTF-8 file gives it, or raw UTF-16.
  const std::string_view bytes = fuzz::Bytes(data, size);
  const std::wstring input = size && (data[0] & 1) ? fuzz::Utf16Units(bytes.substr(1))
                                                   : text::FromAnsi(bytes.substr(size ? 1 : 0));

  std::wstring title = L"stale";
  const bool cut = Startup::ParseItemTitle(input, title);
  const std::size_t prefix = PrefixLength(input);
  FUZZ_CHECK(cut == (prefix != 0));
  FUZZ_CHECK(title == input.substr(prefix));

  // The argument text is a tail of the command line, never led by a blank,
  // and a program name in quotes hides its blanks.
  const std::wstring args = Startup::ArgumentText(input);
  FUZZ_CHECK(args.size() <= input.size());
  FUZZ_CHECK(input.compare(input.size() - args.size(), std::wstring::npos, args) == 0);
  FUZZ_CHECK(args.empty() || (args[0] != L' ' && args[0] != L'\t'));
  if (!args.empty()) {
    std::size_t quotes = 0;
    const std::size_t nameEnd = input.size() - args.size();
    for (std::size_t i = 0; i < nameEnd; ++i) quotes += input[i] == L'"';
    FUZZ_CHECK(nameEnd > 0 && (input[nameEnd - 1] == L' ' || input[nameEnd - 1] == L'\t'));
    FUZZ_CHECK(quotes % 2 == 0);
  }

  // The check command: "/check" leads, and the path is a piece of the arguments.
  if (const std::optional<seqcheck::Command> check = seqcheck::ParseCommand(args)) {
    FUZZ_CHECK(text::EqualsNoCase(std::wstring_view(args).substr(0, 6), L"/check"));
    FUZZ_CHECK(args.find(check->sequencePath) != std::wstring::npos);
  }
  return 0;
}
