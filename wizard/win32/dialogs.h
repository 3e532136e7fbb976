// The wizard window's path choosers, behind a seam so that tests can drive
// the window without a modal dialog blocking. (Message boxes are the shared
// ui::Messages.)
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace wizard {

class PathDialogs {
 public:
  virtual ~PathDialogs() = default;
  // The folder browse dialog: the chosen folder's path; nullopt when the
  // user cancelled or chose a folder without a file-system path.
  virtual std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& initialFolder,
                                                   const std::wstring& title) = 0;
  // The save dialog for the sequence file (title "Tarvolineファイルの保存",
  // *.pmw and all files, no overwrite prompt since the file is only appended
  // to): the chosen path; nullopt on cancel or any failure.
  virtual std::optional<std::wstring> ChooseSequenceFile(HWND owner, const std::wstring& initialPath) = 0;
};

// The shell's dialogs (common/win32/shell_dialogs.h).
PathDialogs& RealPathDialogs();

}  // namespace wizard
