#include "wizard/win32/dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "common/ui_text.h"
#include "wizard/win32/folder_browser.h"
#include "wizard/texts.h"

namespace wizard {

namespace {

class ShellPathDialogs final : public PathDialogs {
 public:
  std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& initialFolder,
                                           const std::wstring& title) override {
    std::wstring displayName;
    std::wstring path = text::TrimAtNull(
        folder_browser::BrowseForFolder(owner, nullptr, initialFolder, 0, title, displayName));
    if (path.empty()) return std::nullopt;
    return path;
  }

  std::optional<std::wstring> ChooseSequenceFile(HWND owner, const std::wstring& initialPath) override {
    // Filter pairs separated by NULs, the list ended by two; the table
    // separates them by "|", which no description or pattern holds.
    std::wstring filter = ui::Text(texts::kSaveFilter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter += L'\0';
    const std::wstring title = ui::Text(texts::kSaveTitle);
    std::vector<wchar_t> file(32768, L'\0');
    if (initialPath.size() < file.size()) std::copy(initialPath.begin(), initialPath.end(), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    // No overwrite prompt: the wizard only appends. The process's current
    // directory is left alone.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
    return std::wstring(file.data());
  }
};

}  // namespace

PathDialogs& RealPathDialogs() {
  static ShellPathDialogs dialogs;
  return dialogs;
}

}  // namespace wizard
