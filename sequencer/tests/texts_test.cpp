// The texts this program shows, as its string tables are made from them.
#include "common/tests/support/text_list.h"

#include <gtest/gtest.h>

namespace {

#define TVL_TEXT TVL_LISTED_TEXT
const tvltest::ListedText kTexts[] = {
#include "sequence/texts.inc"
#include "sequencer/texts.inc"
};
#undef TVL_TEXT

TEST(Texts, EveryTextHasBothLanguagesWithTheSamePlaceholders) { tvltest::ExpectWellFormed(kTexts); }

}  // namespace
