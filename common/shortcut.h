// Shell shortcuts (.lnk): the one reader the wizard and the drop tool share,
// and the writer the wizard uses for the main program's own shortcut.
#pragma once

#include <optional>
#include <string>

struct ShortcutInfo {
  std::wstring TargetPath;
  std::wstring WorkingDirectory;
  int WindowStyle = 1;  // 1 normal, 3 maximized, 7 minimized (as stored in the file)
};

class ShortcutStore {
 public:
  virtual ~ShortcutStore() = default;
  // nullopt when the file cannot be opened as a shortcut.
  virtual std::optional<ShortcutInfo> Read(const std::wstring& lnkPath) = 0;
  // Opens the shortcut (a new one when the file does not exist), sets its
  // target, keeps every other property, and saves it. False on failure.
  virtual bool SetTarget(const std::wstring& lnkPath, const std::wstring& targetPath) = 0;
};

// The shell's own shortcut object (Windows builds only).
ShortcutStore& RealShortcutStore();
