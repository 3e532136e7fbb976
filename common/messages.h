// The programs' message boxes, behind one seam so that tests record the
// messages instead of blocking on a modal box.
#pragma once

#include <string>

namespace ui {

enum class MessageIcon { Critical, Warning, Information };

class Messages {
 public:
  virtual ~Messages() = default;
  // A modal message with an OK button and the program's title as caption;
  // returns when the user has closed it.
  virtual void Show(const std::wstring& text, MessageIcon icon) = 0;
};

}  // namespace ui
