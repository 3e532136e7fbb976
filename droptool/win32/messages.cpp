#include "messages.h"

namespace droptool {
namespace {

class MessageBoxes final : public Messages {
 public:
  void ShowError(HWND owner, const std::wstring& text) override {
    MessageBoxW(owner, text.c_str(), L"TVLTool", MB_OK | MB_ICONSTOP);
  }
};

}  // namespace

Messages& RealMessages() {
  static MessageBoxes boxes;
  return boxes;
}

}  // namespace droptool
