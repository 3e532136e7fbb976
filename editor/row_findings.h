// The sequence check's findings for the rows of a document, kept until the
// next edit: a row is checked when it is first asked for (drawn), the rest a
// few at a time in the background, so that a large file can count its
// findings without holding up typing.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/sequence_document.h"
#include "sequence/sequence_check.h"
#include "sequence/sequence_file.h"

namespace editor {

// The item as a run reads it.
sequence::SequenceItem AsSequenceItem(const ItemView& view);

class RowFindings {
 public:
  explicit RowFindings(const SequenceDocument& doc) : doc_(doc) {}

  // Forgets what was found (the document changed, or the check sees the
  // system anew): every row is checked again.
  void Forget();
  // The findings of row by check, worked out now if they are not known.
  // Items switched off never start: they are neither twins nor twinned.
  const std::vector<std::wstring>& At(std::size_t row, const sequence::check::ItemCheck& check);
  // Checks the rows not yet known, in order, while more() says there is time
  // for another; true when every row is known.
  bool CheckMore(const sequence::check::ItemCheck& check, const std::function<bool()>& more);
  // The findings of all rows together; nullopt while some row is unchecked.
  std::optional<std::size_t> Total() const;

 private:
  const SequenceDocument& doc_;
  std::vector<std::size_t> twins_;  // empty: to be worked out again
  std::vector<std::optional<std::vector<std::wstring>>> findings_;
  std::size_t nextUnchecked_ = 0;
};

}  // namespace editor
