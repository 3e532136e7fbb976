// Tarvoline's texts, by id: ui::Text(texts::kStarting) in the user's language.
#pragma once

namespace sequencer::texts {

enum : unsigned {
#define TVL_TEXT(id, name, ja, en) name = id,
#include "sequencer/texts.inc"
#undef TVL_TEXT
};

}  // namespace sequencer::texts
