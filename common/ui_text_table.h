// The native build's string tables. Each program's list (its texts.inc) is
// compiled into a table of its own (common/text_table_native.cpp, built once
// per list by tvl_add_texts) that registers itself when the program or test
// starts, as its string tables do in the Windows build. ui::Text looks an id
// up in every registered table.
#pragma once

#include <span>

namespace ui {

struct TextEntry {
  unsigned id;
  const char* japanese;  // UTF-8
  const char* english;   // UTF-8
};

// Adds table to the lookup. The table must live as long as the program;
// registering the same table again changes nothing.
void RegisterTexts(std::span<const TextEntry> table);

}  // namespace ui
