// The take-over's two parsers of text the user or a program controls: the
// record of switched-off entries (a record that reads back is rewritten to
// the same changes; one that does not is never half-read) and a Run value's
// command line (the program and its arguments come from the text itself,
// and the one existing program is found wherever the text names it whole).
#include <cstdint>

#include "common/command_line.h"
#include "fuzz/fuzz_support.h"
#include "wizard/switch_off.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Bytes(data, size);

  if (auto changes = wizard::switchoff::ParseRecord(bytes)) {
    const std::string again = wizard::switchoff::FormatRecord(*changes);
    FUZZ_CHECK(wizard::switchoff::ParseRecord(again) == changes);
    for (char c : again) FUZZ_CHECK((static_cast<unsigned char>(c) & 0x80) == 0);
  }

  const std::wstring command = fuzz::Utf16Units(bytes);
  fake::FileSystem files;
  files.files[L"/bin/tool.exe"] = "";
  const cmdline::Split split = cmdline::SplitCommandLine(command, {L"/bin"}, files);
  FUZZ_CHECK(split.arguments.empty() || (split.arguments[0] != L' ' && split.arguments[0] != L'\t'));
  FUZZ_CHECK(split.arguments.size() <= command.size());
  FUZZ_CHECK(command.find(split.arguments) != std::wstring::npos);
  if (split.found) FUZZ_CHECK(split.program == L"/bin/tool.exe");
  return 0;
}
