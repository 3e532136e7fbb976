#include "dialogs.h"

#include <commdlg.h>

#include <vector>

#include "common/tool.h"
#include "explorer_list2.h"
#include "texts.h"

namespace wizard {

namespace {

class ShellPathDialogs final : public PathDialogs {
 public:
  std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& initialFolder,
                                           const std::wstring& title) override {
    std::wstring displayName;
    std::wstring path = tool::TrimAtNull(
        ExplorerList2::BrowseForFolder(owner, nullptr, initialFolder, 0, title, displayName));
    if (path.empty()) return std::nullopt;
    return path;
  }

  std::optional<std::wstring> ChooseSequenceFile(HWND owner, const std::wstring& initialPath) override {
    // Filter pairs separated by NULs, the list ended by two.
    static const wchar_t kFilter[] = L"Tarvolineファイル(*.pmw)\0*.pmw\0その他 (*.*)\0*.*\0";
    std::vector<wchar_t> file(32768, L'\0');
    if (initialPath.size() < file.size()) std::copy(initialPath.begin(), initialPath.end(), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = texts::kSaveTitle;
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
