// TVLTool's texts, by id: ui::Text(texts::kDropArea) in the user's language.
#pragma once

namespace droptool::texts {

enum : unsigned {
#define TVL_TEXT(id, name, ja, en) name = id,
#include "droptool/texts.inc"
#undef TVL_TEXT
};

}  // namespace droptool::texts
