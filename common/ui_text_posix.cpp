// The native build's texts: the tables the programs' lists registered, so
// that the portable core can be tested with the words it shows.
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "common/ui_text.h"
#include "common/ui_text_table.h"

namespace ui {
namespace {

// Filled while static objects are made: a function's own static is there
// before the first of them registers.
std::vector<std::span<const TextEntry>>& Tables() {
  static std::vector<std::span<const TextEntry>> tables;
  return tables;
}

}  // namespace

void RegisterTexts(std::span<const TextEntry> table) {
  auto& tables = Tables();
  const bool known = std::any_of(tables.begin(), tables.end(), [&](std::span<const TextEntry> t) { return t.data() == table.data(); });
  if (!known) tables.push_back(table);
}

Language UserLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return std::string_view(v).starts_with("ja") ? Language::Japanese : Language::English;
  }
  return Language::English;
}

std::wstring Text(unsigned id, Language language) {
  for (std::span<const TextEntry> table : Tables())
    for (const TextEntry& e : table)
      if (e.id == id) return text::FromUtf8(language == Language::Japanese ? e.japanese : e.english);
  return L"";
}

}  // namespace ui
