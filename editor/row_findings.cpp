#include "editor/row_findings.h"

namespace editor {

sequence::SequenceItem AsSequenceItem(const ItemView& view) {
  sequence::SequenceItem item;
  item.title = view.title;
  item.file = view.file;
  item.workingFolder = view.workingFolder;
  item.arguments = view.arguments;
  item.show = view.show;
  return item;
}

void RowFindings::Forget() {
  twins_.clear();
  findings_.assign(doc_.Count(), std::nullopt);
  nextUnchecked_ = 0;
}

const std::vector<std::wstring>& RowFindings::At(std::size_t row, const sequence::check::ItemCheck& check) {
  // A row may be asked for before the caller has told of an edit (the list
  // learns its new count first): findings for another count start over.
  if (findings_.size() != doc_.Count()) Forget();
  if (twins_.size() != doc_.Count()) {
    std::vector<sequence::SequenceItem> items;
    items.reserve(doc_.Count());
    for (std::size_t r = 0; r < doc_.Count(); ++r) {
      sequence::SequenceItem item = AsSequenceItem(doc_.At(r).view);
      if (!doc_.At(r).view.switchedOn) item.file.clear();
      items.push_back(std::move(item));
    }
    twins_ = sequence::check::Twins(items);
  }
  std::optional<std::vector<std::wstring>>& found = findings_[row];
  if (!found) found = check.Findings(AsSequenceItem(doc_.At(row).view), twins_[row]);
  return *found;
}

bool RowFindings::CheckMore(const sequence::check::ItemCheck& check, const std::function<bool()>& more) {
  if (findings_.size() != doc_.Count()) Forget();
  while (nextUnchecked_ < findings_.size() && more()) At(nextUnchecked_++, check);
  return nextUnchecked_ >= findings_.size();
}

std::optional<std::size_t> RowFindings::Total() const {
  if (findings_.size() != doc_.Count() || nextUnchecked_ < findings_.size()) return std::nullopt;
  std::size_t n = 0;
  for (const auto& f : findings_) n += f ? f->size() : 0;
  return n;
}

}  // namespace editor
