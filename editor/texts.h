// TVLeditor's texts, by id: ui::Text(texts::kSave) in the user's language.
#pragma once

namespace editor::texts {

enum : unsigned {
#define TVL_TEXT(id, name, ja, en) name = id,
#include "editor/texts.inc"
#undef TVL_TEXT
};

}  // namespace editor::texts
