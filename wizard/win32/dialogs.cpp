#include "wizard/win32/dialogs.h"

#include "common/ui_text.h"
#include "common/win32/shell_dialogs.h"
#include "wizard/texts.h"

namespace wizard {

namespace {

class ShellPathDialogs final : public PathDialogs {
 public:
  std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& initialFolder,
                                           const std::wstring& title) override {
    return win::BrowseForFolder(owner, title, initialFolder, 0);
  }

  std::optional<std::wstring> ChooseSequenceFile(HWND owner, const std::wstring& initialPath) override {
    // No overwrite prompt: the wizard only appends.
    return win::PickFileToSave(owner, {ui::Text(texts::kSaveFilter), ui::Text(texts::kSaveTitle), initialPath});
  }
};

}  // namespace

PathDialogs& RealPathDialogs() {
  static ShellPathDialogs dialogs;
  return dialogs;
}

}  // namespace wizard
