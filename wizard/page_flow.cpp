#include "wizard/page_flow.h"

#include "common/ui_text.h"
#include "wizard/texts.h"

namespace wizard {

PageFlow::PageFlow() { Enter(0, {}); }

std::wstring PageFlow::nextCaption() const { return ui::Text(finishCaption_ ? texts::kFinish : texts::kNext); }

Step PageFlow::Back() {
  if (finished_ || !backEnabled_ || page_ == 0) return {};
  return Enter(page_ - 1, {});
}

Step PageFlow::Next(const std::function<bool()>& generate) {
  if (finished_) return {};
  return Enter(page_ + 1, generate);
}

Step PageFlow::Enter(int page, const std::function<bool()>& generate) {
  Step step;
  switch (page) {
    case 0:
      backEnabled_ = false;
      break;
    case 1:
      backEnabled_ = true;
      break;
    case 2:
      step.navigateInfo = true;
      break;
    case 3:
      finishCaption_ = false;
      if (!generate || !generate()) return step;  // stay on page 2, nothing shown
      backEnabled_ = false;
      break;
    case 4:
      finishCaption_ = true;
      backEnabled_ = false;
      break;
    default:
      finished_ = true;
      step.finish = true;
      return step;
  }
  page_ = page;
  step.showPage = true;
  return step;
}

}  // namespace wizard
