#include "wizard/win32/folder_browser.h"

#include "common/win32/raii.h"

namespace folder_browser {

namespace {

// The path of an item list, "" when it has none. The buffer is larger than
// MAX_PATH where the system allows it.
std::wstring PathOf(PCIDLIST_ABSOLUTE item) {
  if (!item) return {};
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(item, buffer)) return {};
  return buffer;
}

}  // namespace

std::wstring BrowseForFolder(HWND owner, PCIDLIST_ABSOLUTE root, const std::wstring& initialFolder, UINT flags,
                             const std::wstring& title, std::wstring& displayName) {
  // Lives until the dialog has closed: the callback reads it through lParam.
  std::wstring folder = initialFolder;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();

  wchar_t display[MAX_PATH + 1] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root;
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  info.lpfn = BrowseCallbackProc;
  info.lParam = reinterpret_cast<LPARAM>(&folder);

  win::CoTaskMem<PIDLIST_ABSOLUTE> chosen(SHBrowseForFolderW(&info));
  std::wstring path = PathOf(chosen.get());
  displayName = chosen ? std::wstring(display) : std::wstring();
  return path;
}

int CALLBACK BrowseCallbackProc(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  const auto* initial = reinterpret_cast<const std::wstring*>(data);
  if (message == BFFM_INITIALIZED && initial && !initial->empty()) {
    // Sent, not posted: the text must stay valid until the dialog has used it.
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
  } else if (message == BFFM_SELCHANGED) {
    std::wstring path = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
    SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path.c_str()));
  }
  return 0;
}

}  // namespace folder_browser
