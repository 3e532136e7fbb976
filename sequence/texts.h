// The shared sequence library's texts, by id: ui::Text(texts::kCheckHeading)
// in the user's language.
#pragma once

namespace sequence::texts {

enum : unsigned {
#define TVL_TEXT(id, name, ja, en) name = id,
#include "sequence/texts.inc"
#undef TVL_TEXT
};

}  // namespace sequence::texts
