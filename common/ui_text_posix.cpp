// The native build's string table: every program's texts compiled in, so
// that the portable core can be tested with the words it shows.
#include <cstdlib>
#include <string_view>

#include "common/text.h"
#include "common/ui_text.h"

namespace ui {
namespace {

struct Entry {
  unsigned id;
  const char* japanese;
  const char* english;
};

#define TVL_TEXT(id, name, ja, en) {id, ja, en},
constexpr Entry kTable[] = {
#include "sequence/texts.inc"
#include "sequencer/texts.inc"
#include "wizard/texts.inc"
#include "droptool/texts.inc"
};
#undef TVL_TEXT

}  // namespace

Language UserLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return std::string_view(v).starts_with("ja") ? Language::Japanese : Language::English;
  }
  return Language::English;
}

std::wstring Text(unsigned id, Language language) {
  for (const Entry& e : kTable)
    if (e.id == id) return text::FromUtf8(language == Language::Japanese ? e.japanese : e.english);
  return L"";
}

}  // namespace ui
