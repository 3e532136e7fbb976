#include "common/win32/message_boxes.h"

namespace win {

void MessageBoxes::Show(const std::wstring& text, ui::MessageIcon icon) {
  UINT style = MB_OK;
  switch (icon) {
    case ui::MessageIcon::Critical: style |= MB_ICONSTOP; break;
    case ui::MessageIcon::Warning: style |= MB_ICONEXCLAMATION; break;
    case ui::MessageIcon::Information: style |= MB_ICONINFORMATION; break;
  }
  MessageBoxW(owner_, text.c_str(), caption_.c_str(), style);
}

}  // namespace win
