// One program's texts as a native table (see ui_text_table.h). Built by
// tvl_add_texts with TVL_TEXTS naming the list; not part of any library's
// own sources.
#include "common/ui_text_table.h"

namespace {

#define TVL_TEXT(id, name, ja, en) {id, ja, en},
constexpr ui::TextEntry kTable[] = {
#include TVL_TEXTS
};
#undef TVL_TEXT

const bool kRegistered = (ui::RegisterTexts(kTable), true);

}  // namespace
