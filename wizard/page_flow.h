// The wizard's page flow: which page is shown, which buttons are enabled,
// what the Next button reads, and what entering a page sets off. The window
// only asks this object and carries out what it answers, so the flow is the
// same everywhere and tested without a window.
//
// Pages: 0 welcome, 1 folder, 2 sequence file, 3 information, 4 done.
// Entering page 5 (Finish on page 4) means the finishing steps and the end.
#pragma once

#include <functional>
#include <string>

namespace wizard {

// What the window has to do after a button press.
struct Step {
  bool showPage = false;        // bring page() to the front (false: nothing changes on screen)
  bool navigateInfo = false;    // page 2 was entered: (re)load the information page
  bool finish = false;          // run the finishing steps, then end the program
};

class PageFlow {
 public:
  static constexpr int kPageCount = 5;

  // Enters page 0, as the window does when it is created.
  PageFlow();

  int page() const { return page_; }
  bool backEnabled() const { return backEnabled_; }
  bool finished() const { return finished_; }
  // Next's caption: "Next" on pages 0 to 3, "Finish" on page 4.
  std::wstring nextCaption() const;

  // Back: the previous page. Ignored while Back is disabled or after Finish.
  Step Back();
  // Next (Finish on the last page). Leaving page 2 calls generate: on false
  // the flow stays on page 2 with the buttons as they were and nothing is
  // shown; on true page 3 is entered and Back stays disabled from then on,
  // so the shortcuts are appended only once. Ignored after Finish.
  Step Next(const std::function<bool()>& generate);

 private:
  Step Enter(int page, const std::function<bool()>& generate);

  int page_ = 0;
  bool backEnabled_ = false;
  bool finishCaption_ = false;
  bool finished_ = false;
};

}  // namespace wizard
