#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "common/shortcut.h"
#include "common/win32/raii.h"
#include "common/win32/shell_link.h"

namespace {

// Paths in a shortcut may exceed MAX_PATH; the shell cuts at the buffer size.
constexpr int kPathChars = 32768;

// The shell-link header read straight from the file: the shell's own reader
// does not report every stored show command faithfully on every system.
std::optional<int> ShowCommandOf(const std::wstring& path) {
  win::FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return std::nullopt;
  std::string header(shortcut::kHeaderSize, '\0');
  DWORD got = 0;
  if (!ReadFile(f.get(), header.data(), static_cast<DWORD>(header.size()), &got, nullptr)) return std::nullopt;
  header.resize(got);
  return shortcut::ShowCommandFromHeader(header);
}

class ShellShortcutStore final : public ShortcutStore {
 public:
  std::optional<ShortcutInfo> Read(const std::wstring& lnkPath) override {
    win::ComInit com = win::InitCom();
    win::ShellLink l = win::NewShellLink();
    if (!l.file || FAILED(l.file.get()->Load(lnkPath.c_str(), STGM_READ))) return std::nullopt;
    std::optional<int> show = ShowCommandOf(lnkPath);
    if (!show) return std::nullopt;

    ShortcutInfo info;
    std::vector<wchar_t> buf(kPathChars, L'\0');
    // S_FALSE (no file-system target) leaves the buffer empty: an empty
    // target, which must then be a shell item named by its item-id list.
    if (SUCCEEDED(l.link.get()->GetPath(buf.data(), kPathChars, nullptr, 0))) info.targetPath = buf.data();
    if (info.targetPath.empty()) {
      PIDLIST_ABSOLUTE item = nullptr;
      if (FAILED(l.link.get()->GetIDList(&item)) || !item) return std::nullopt;  // points at nothing
      CoTaskMemFree(item);
    }
    buf[0] = L'\0';
    if (SUCCEEDED(l.link.get()->GetWorkingDirectory(buf.data(), kPathChars))) info.workingDirectory = buf.data();
    buf[0] = L'\0';
    if (SUCCEEDED(l.link.get()->GetArguments(buf.data(), kPathChars))) info.arguments = buf.data();
    info.windowStyle = *show;
    return info;
  }

  bool SetTarget(const std::wstring& lnkPath, const std::wstring& targetPath, const std::wstring& arguments) override {
    win::ComInit com = win::InitCom();
    win::ShellLink l = win::NewShellLink();
    if (!l.file) return false;
    DWORD attrs = GetFileAttributesW(lnkPath.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
      // An existing file keeps its other properties; one that is not a
      // shortcut (or a folder) is never overwritten.
      if (attrs & FILE_ATTRIBUTE_DIRECTORY) return false;
      std::optional<int> show;
      if (FAILED(l.file.get()->Load(lnkPath.c_str(), STGM_READ)) || !(show = ShowCommandOf(lnkPath))) return false;
      // The show command goes back as the file holds it, for the same reason
      // that Read takes it from the header.
      l.link.get()->SetShowCmd(*show);
    }
    if (FAILED(l.link.get()->SetPath(targetPath.c_str())) || FAILED(l.link.get()->SetArguments(arguments.c_str())))
      return false;
    // Written beside the shortcut and moved over it only when complete, so
    // that a failed save never leaves a broken shortcut behind.
    std::wstring temp = win::TempBeside(lnkPath);
    if (FAILED(l.file.get()->Save(temp.c_str(), FALSE))) {
      DeleteFileW(temp.c_str());
      return false;
    }
    return win::MoveIntoPlace(temp, lnkPath);
  }
};

}  // namespace

ShortcutStore& RealShortcutStore() {
  static ShellShortcutStore store;
  return store;
}
