// What the wizard's core asks of the user interface: message boxes. The
// window supplies the real one (MessageBoxW, caption "TVLpreparer"); tests
// record the messages instead of blocking on them.
#pragma once

#include <string>

namespace wizard {

enum class MessageIcon { Critical, Warning, Information };

class Messages {
 public:
  virtual ~Messages() = default;
  // A modal message with an OK button and the program's title as caption;
  // returns when the user has closed it.
  virtual void Show(const std::wstring& text, MessageIcon icon) = 0;
};

}  // namespace wizard
