// The drop tool's messages to the user, behind a seam so that tests can
// record them instead of blocking on a message box.
#pragma once

#include <windows.h>

#include <string>

namespace droptool {

class Messages {
 public:
  virtual ~Messages() = default;
  // A failure: OK button only, the program's title as caption.
  virtual void ShowError(HWND owner, const std::wstring& text) = 0;
};

// Message boxes with the caption "TVLTool".
Messages& RealMessages();

}  // namespace droptool
