// The shell's folder browse dialog with a folder selected at start.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace folder_browser {

// Shows the dialog modal to owner and returns the chosen folder's file-system
// path (wide all the way, so names outside the ANSI code page survive). ""
// when the user cancelled or chose an item without a file-system path (a
// virtual folder). initialFolder is selected at start; one trailing "\" is
// removed from it first. displayName receives the chosen item's display
// name ("" on cancel). root null means the desktop, no restriction.
std::wstring BrowseForFolder(HWND owner, PCIDLIST_ABSOLUTE root, const std::wstring& initialFolder, UINT flags,
                             const std::wstring& title, std::wstring& displayName);

// The dialog's callback: selects the folder data points to (a wide string,
// the BROWSEINFOW::lParam that BrowseForFolder passes; null or empty for no
// preselection) when the dialog has been created, and shows the selected
// folder's path in the status line on every selection change. Always 0.
int CALLBACK BrowseCallbackProc(HWND dialog, UINT message, LPARAM lParam, LPARAM data);

}  // namespace folder_browser
