// The message-box seam's real side: MessageBoxW with the program's name as
// caption, modal to the owner set last (none until then).
#pragma once

#include <windows.h>

#include <string>

#include "common/messages.h"

namespace win {

// The system's text for an error code (a Win32 error or an HRESULT), without
// its line end and closing full stop; "system error N" when the system has
// none (N in hexadecimal past 0xFFFF, as HRESULTs read).
std::wstring SystemErrorText(DWORD code);

class MessageBoxes final : public ui::Messages {
 public:
  explicit MessageBoxes(std::wstring caption) : caption_(std::move(caption)) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void Show(const std::wstring& text, ui::MessageIcon icon) override;

 private:
  std::wstring caption_;
  HWND owner_ = nullptr;
};

}  // namespace win
