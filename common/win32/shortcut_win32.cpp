#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "../shortcut.h"
#include "raii.h"

namespace {

// Paths in a shortcut may exceed MAX_PATH; the shell cuts at the buffer size.
constexpr int kPathChars = 32768;

// The calling thread's COM, for the length of one call. A thread that already
// runs another apartment model keeps it (the shell link works in both).
win::ComInit InitCom() { return win::ComInit(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }

struct Link {
  win::ComPtr<IShellLinkW> link;
  win::ComPtr<IPersistFile> file;
};

bool CreateLink(Link& out) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return false;
  out.link.reset(link);
  IPersistFile* file = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return false;
  out.file.reset(file);
  return true;
}

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
    win::ComInit com = InitCom();
    Link l;
    if (!CreateLink(l) || FAILED(l.file.get()->Load(lnkPath.c_str(), STGM_READ))) return std::nullopt;
    std::optional<int> show = ShowCommandOf(lnkPath);
    if (!show) return std::nullopt;

    ShortcutInfo info;
    std::vector<wchar_t> buf(kPathChars, L'\0');
    // S_FALSE (no file-system target) leaves the buffer empty: an empty target.
    if (SUCCEEDED(l.link.get()->GetPath(buf.data(), kPathChars, nullptr, 0))) info.TargetPath = buf.data();
    buf[0] = L'\0';
    if (SUCCEEDED(l.link.get()->GetWorkingDirectory(buf.data(), kPathChars))) info.WorkingDirectory = buf.data();
    info.WindowStyle = *show;
    return info;
  }

  bool SetTarget(const std::wstring& lnkPath, const std::wstring& targetPath) override {
    win::ComInit com = InitCom();
    Link l;
    if (!CreateLink(l)) return false;
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
    if (FAILED(l.link.get()->SetPath(targetPath.c_str()))) return false;
    // Written beside the shortcut and moved over it only when complete, so
    // that a failed save never leaves a broken shortcut behind.
    std::wstring temp = lnkPath + L".tvl-new";
    if (FAILED(l.file.get()->Save(temp.c_str(), FALSE))) {
      DeleteFileW(temp.c_str());
      return false;
    }
    if (!MoveFileExW(temp.c_str(), lnkPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(temp.c_str());
      return false;
    }
    return true;
  }
};

}  // namespace

ShortcutStore& RealShortcutStore() {
  static ShellShortcutStore store;
  return store;
}
