#include "common/win32/shell_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "common/win32/raii.h"

namespace win {
namespace {

// The file-system path of an item list, as long as it is; "" when it has none.
std::wstring PathOf(PCIDLIST_ABSOLUTE item) {
  PWSTR name = nullptr;
  if (!item || FAILED(SHGetNameFromIDList(item, SIGDN_FILESYSPATH, &name))) return {};
  CoTaskMem<PWSTR> owner(name);
  return name;
}

// Selects the folder data points to (the caller's wide string; empty for
// none) once the dialog is up, and shows each selected folder's path in the
// status line.
int CALLBACK OnBrowseEvent(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  const auto* initial = reinterpret_cast<const std::wstring*>(data);
  if (message == BFFM_INITIALIZED && !initial->empty()) {
    // Sent, not posted: the text must stay valid until the dialog has used it.
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
  } else if (message == BFFM_SELCHANGED) {
    const std::wstring path = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
    SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path.c_str()));
  }
  return 0;
}

// The longest path the wide file functions take, and its NUL.
constexpr std::size_t kLongestPath = 32768;

std::optional<std::wstring> PickFile(HWND owner, const FileDialog& dialog, bool save) {
  // Filter pairs separated by NULs, the list ended by two.
  std::wstring filter = dialog.filter;
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter += L'\0';
  std::vector<wchar_t> file(kLongestPath, L'\0');
  if (dialog.initialPath.size() < file.size()) std::copy(dialog.initialPath.begin(), dialog.initialPath.end(), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = dialog.title.empty() ? nullptr : dialog.title.c_str();
  ofn.lpstrDefExt = dialog.defaultExtension.empty() ? nullptr : dialog.defaultExtension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | dialog.flags;
  if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
  return std::wstring(file.data());
}

}  // namespace

std::optional<std::wstring> BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initialFolder,
                                            UINT flags) {
  // Lives until the dialog has closed: the callback reads it through lParam.
  std::wstring folder = initialFolder;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();

  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  info.lpfn = OnBrowseEvent;
  info.lParam = reinterpret_cast<LPARAM>(&folder);
  CoTaskMem<PIDLIST_ABSOLUTE> chosen(SHBrowseForFolderW(&info));
  std::wstring path = PathOf(chosen.get());
  if (path.empty()) return std::nullopt;
  return path;
}

std::optional<std::wstring> PickFileToOpen(HWND owner, const FileDialog& dialog) { return PickFile(owner, dialog, false); }

std::optional<std::wstring> PickFileToSave(HWND owner, const FileDialog& dialog) { return PickFile(owner, dialog, true); }

}  // namespace win
