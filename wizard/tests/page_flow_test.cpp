#include "common/ui_text.h"
#include "wizard/page_flow.h"

#include <gtest/gtest.h>

#include <string>

#include "wizard/texts.h"

namespace {

using wizard::PageFlow;
using wizard::Step;

// Drives the flow with a script: 'N' Next (generation succeeds), 'F' Next
// (generation fails), 'B' Back.
struct Scripted {
  PageFlow flow;
  int generations = 0;
  Step last;
  explicit Scripted(const std::string& script) {
    for (char c : script)
      last = c == 'B' ? flow.Back() : flow.Next([&] { return ++generations, c == 'N'; });
  }
};

// After the script: page, Back enabled, Next reads Finish, generations run,
// and what the last press asked for (show a page, load the info page, finish).
struct FlowCase {
  const char* script;
  int page;
  bool back, finishCaption;
  int generations;
  bool shown, navigate, finish;
};

TEST(PageFlow, ButtonsCaptionsAndPagesFollowTheScript) {
  const FlowCase cases[] = {
      {"", 0, false, false, 0, false, false, false},
      {"NB", 0, false, false, 0, true, false, false},       // Back disabled again on page 0
      {"NN", 2, true, false, 0, true, true, false},         // entering page 2 loads the info page
      {"NNBN", 2, true, false, 0, true, true, false},       // and loads it again
      {"NNF", 2, true, false, 1, false, false, false},      // failure: stay, nothing shown
      {"NNFB", 1, true, false, 1, true, false, false},      // Back still works after a failure
      {"NNFN", 3, false, false, 2, true, false, false},     // generation may be retried
      {"NNN", 3, false, false, 1, true, false, false},
      {"NNNB", 3, false, false, 1, false, false, false},    // Back ignored after generation
      {"NNNN", 4, false, true, 1, true, false, false},
      {"NNNNN", 4, false, true, 1, false, false, true},
      {"NNNNNN", 4, false, true, 1, false, false, false},   // nothing after Finish
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.script);
    Scripted r(c.script);
    EXPECT_EQ(r.flow.page(), c.page);
    EXPECT_EQ(r.flow.backEnabled(), c.back);
    EXPECT_EQ(std::wstring(r.flow.nextCaption()),
              ui::Text(c.finishCaption ? wizard::texts::kFinish : wizard::texts::kNext));
    EXPECT_EQ(r.generations, c.generations);
    EXPECT_EQ(r.last.showPage, c.shown);
    EXPECT_EQ(r.last.navigateInfo, c.navigate);
    EXPECT_EQ(r.last.finish, c.finish);
    EXPECT_EQ(r.flow.finished(), std::string(c.script).starts_with("NNNNN"));
  }
}

}  // namespace
