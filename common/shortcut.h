// Shell shortcuts (.lnk): the one reader the wizard and the drop tool share,
// and the writer the wizard uses for the main program's own shortcut.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct ShortcutInfo {
  // Empty when the target has no file-system path: a shell item named only by
  // its item-id list (a Store app, a shell folder, a Control Panel item).
  std::wstring targetPath;
  std::wstring workingDirectory;
  int windowStyle = 1;  // 1 normal, 3 maximized, 7 minimized (as stored in the file)
  std::wstring arguments{};  // what the shortcut passes to its target
};

class ShortcutStore {
 public:
  virtual ~ShortcutStore() = default;
  // nullopt when the file cannot be opened as a shortcut, or when it names
  // neither a path nor a shell item.
  virtual std::optional<ShortcutInfo> Read(const std::wstring& lnkPath) = 0;
  // Opens the shortcut (a new one when the file does not exist), sets its
  // target and arguments, keeps every other property, and saves it. False on
  // failure.
  virtual bool SetTarget(const std::wstring& lnkPath, const std::wstring& targetPath,
                         const std::wstring& arguments) = 0;
};

// The shell's own shortcut object (Windows builds only).
ShortcutStore& RealShortcutStore();

namespace shortcut {

// The ShowCommand field of a shell-link file, read from the file's first
// bytes: the header must be 0x4C bytes long (its size field says so and that
// many bytes are there) and carry the shell link's class identifier. The value
// is returned as stored (normally 1, 3 or 7); nullopt when the bytes are not a
// shell-link header. The shell's own reader is not trusted for this field
// everywhere, so callers take the window style from here.
std::optional<int> ShowCommandFromHeader(std::string_view bytes);

// Length of the header that ShowCommandFromHeader needs.
constexpr std::size_t kHeaderSize = 0x4C;

// What an item made from the shortcut at lnkPath opens: its target, working
// folder and arguments; or, when the target has no file-system path, the
// shortcut itself with neither folder nor arguments, which the shell opens
// as it did at log-on.
struct ItemTarget {
  std::wstring file, workingFolder, arguments;
};
ItemTarget ItemTargetOf(const std::wstring& lnkPath, const ShortcutInfo& info);

}  // namespace shortcut
