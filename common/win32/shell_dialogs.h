// The shell's dialogs that pick a folder or a file, shared by the programs.
// Paths come back whole, however long: no buffer of MAX_PATH characters.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

// The folder browse dialog, modal to owner, with title above the tree and
// flags (BIF_*) as the caller wants them. initialFolder is selected at start
// (one trailing "\" dropped first; "" selects nothing). The chosen folder's
// file-system path, wide all the way so that names outside the ANSI code page
// survive; nullopt when the user cancelled or chose an item without a
// file-system path (a virtual folder).
std::optional<std::wstring> BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initialFolder,
                                            UINT flags);

// What the open and save dialogs show and how they behave.
struct FileDialog {
  // Pairs of description and pattern separated by "|", as the text tables
  // hold them (none of those texts has a "|" of its own).
  std::wstring filter;
  std::wstring title = {};             // "" for the dialog's own
  std::wstring initialPath = {};       // the name shown at start
  std::wstring defaultExtension = {};  // added to a name typed without one; no dot
  // OFN_* beyond those every dialog here has: Explorer style, no read-only
  // box, the process's current directory left alone.
  DWORD flags = 0;
};

// The path the user picked; nullopt on cancel or any failure.
std::optional<std::wstring> PickFileToOpen(HWND owner, const FileDialog& dialog);
std::optional<std::wstring> PickFileToSave(HWND owner, const FileDialog& dialog);

}  // namespace win
