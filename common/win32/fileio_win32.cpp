#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "common/fileio.h"
#include "common/win32/raii.h"
#include "common/win32/shell_link.h"

namespace {

// Files a user keeps open in an editor stay readable: share read and write.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Windows refuses to open a read-only file for writing; Wine running as root
// does not, so the attribute is asked as well.
bool IsReadOnly(const std::wstring& path) {
  DWORD attrs = GetFileAttributesW(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool IsOrdinary(const WIN32_FIND_DATAW& fd) {
  return !(fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

// Visits the ordinary files a directory search finds; stops when visit says false.
template <class Visit>
void ForEachOrdinary(std::wstring pattern, Visit visit) {
  if (!pattern.empty() && (pattern.back() == L'\\' || pattern.back() == L'/')) pattern += L'*';
  WIN32_FIND_DATAW fd{};
  win::FindHandle find(FindFirstFileW(pattern.c_str(), &fd));
  if (!find) return;
  do {
    if (IsOrdinary(fd) && !visit(fd)) return;
  } while (FindNextFileW(find.get(), &fd));
}

// Write access, not only append access: a write that fails part-way is cut
// back to the old end, so a full disk never leaves half a record. Shared for
// reading only: no other writer moves the end meanwhile, and nobody replaces
// or deletes the file while it is held.
win::FileHandle OpenAppending(const std::wstring& path) {
  if (IsReadOnly(path)) return win::FileHandle();
  return win::FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool AppendTo(HANDLE f, const std::string& bytes) {
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(f, LARGE_INTEGER{}, &end, FILE_END)) return false;
  if (WriteAll(f, bytes)) return true;
  if (SetFilePointerEx(f, end, nullptr, FILE_BEGIN)) SetEndOfFile(f);
  return false;
}

class Win32AppendFile final : public AppendFile {
 public:
  explicit Win32AppendFile(win::FileHandle f) : f_(std::move(f)) {}
  bool Write(const std::string& bytes) override { return AppendTo(f_.get(), bytes); }

 private:
  win::FileHandle f_;
};

class Win32FileLock final : public FileLock {
 public:
  explicit Win32FileLock(win::FileHandle f) : f_(std::move(f)) {}

 private:
  win::FileHandle f_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::wstring& path) override {
    return ReadAtMost(path, SIZE_MAX / 2, nullptr);
  }

  std::optional<std::string> ReadAtMost(const std::wstring& path, std::uint64_t limit, bool* tooLarge) override {
    win::FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0) return std::nullopt;
    if (static_cast<unsigned long long>(size.QuadPart) > std::min<std::uint64_t>(limit, SIZE_MAX / 2)) {
      if (tooLarge) *tooLarge = true;
      return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(f.get(), bytes.data() + done, chunk, &got, nullptr)) return std::nullopt;
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
    return bytes;
  }

  bool ReplaceContents(const std::wstring& path, const std::string& bytes) override {
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      return false;
    std::wstring temp = win::TempBeside(path);
    {
      win::FileHandle f(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!f) return false;
      if (!WriteAll(f.get(), bytes) || !FlushFileBuffers(f.get())) {
        f.reset();
        DeleteFileW(temp.c_str());
        return false;
      }
    }
    return win::MoveIntoPlace(temp, path);
  }

  bool Append(const std::wstring& path, const std::string& bytes) override {
    win::FileHandle f = OpenAppending(path);
    return f && AppendTo(f.get(), bytes);
  }

  std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) override {
    win::FileHandle f = OpenAppending(path);
    if (!f) return nullptr;
    return std::make_unique<Win32AppendFile>(std::move(f));
  }

  std::unique_ptr<FileLock> Lock(const std::wstring& path, int waitMs) override {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(waitMs < 0 ? 0 : waitMs);
    for (;;) {
      // Shared with no one; gone when let go, so no lock file outlives its holder.
      win::FileHandle f(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
      if (f) return std::make_unique<Win32FileLock>(std::move(f));
      // Held, or let go and still being deleted: wait. Anything else will not pass.
      const DWORD e = GetLastError();
      if ((e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED) || GetTickCount64() >= until) return nullptr;
      Sleep(20);
    }
  }

  bool CanRead(const std::wstring& path) override {
    win::FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(f);
  }

  bool CanAppend(const std::wstring& path) override {
    if (IsReadOnly(path)) return false;
    win::FileHandle f(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(f);
  }

  bool Exists(const std::wstring& path) override {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    // Denied access to the name, or any other doubt, counts as there.
    DWORD e = GetLastError();
    return e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND;
  }

  std::optional<std::uint64_t> Size(const std::wstring& path) override {
    // From the folder's entry: no open, so a file held unshared still answers.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  bool IsFolder(const std::wstring& path) override {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool CreateFolder(const std::wstring& path) override {
    return CreateDirectoryW(path.c_str(), nullptr) || (GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path));
  }

  bool IsOrdinaryFile(const std::wstring& path) override { return AnyOrdinaryFileMatches(path); }

  bool AnyOrdinaryFileMatches(const std::wstring& pattern) override {
    bool found = false;
    ForEachOrdinary(pattern, [&](const WIN32_FIND_DATAW&) { return !(found = true); });
    return found;
  }

  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring& pattern) override {
    std::vector<std::wstring> names;
    ForEachOrdinary(pattern, [&](const WIN32_FIND_DATAW& fd) {
      names.emplace_back(fd.cFileName);
      return true;
    });
    return names;
  }

  std::optional<std::wstring> ShortPath(const std::wstring& path) override {
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring out(n, L'\0');
    DWORD got = GetShortPathNameW(path.c_str(), out.data(), n);
    if (got == 0 || got >= n) return std::nullopt;
    out.resize(got);
    return out;
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static Win32FileSystem fs;
  return fs;
}
