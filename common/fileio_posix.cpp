#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "common/fileio.h"
#include "common/text.h"

namespace {

std::string Native(const std::wstring& path) { return text::ToAnsi(path); }

struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A file without any write bit is read-only, like the read-only attribute on
// Windows; access() would not say so to root.
bool IsReadOnly(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool IsRegular(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Splits "dir/pattern" into the folder to list and the name pattern.
void SplitPattern(const std::string& pattern, std::string& dir, std::string& name) {
  size_t slash = pattern.rfind('/');
  if (slash == std::string::npos) {
    dir = ".";
    name = pattern;
  } else {
    dir = slash == 0 ? "/" : pattern.substr(0, slash);
    name = pattern.substr(slash + 1);
  }
  if (name.empty()) name = "*";  // "dir/" searches the folder's contents
}

int OpenAppending(const std::string& path) {
  if (IsReadOnly(path)) return -1;
  return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

bool AppendTo(int fd, const std::string& bytes) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  if (WriteAll(fd, bytes)) return true;
  // A write that failed part-way (a full disk) is cut back to the old end.
  [[maybe_unused]] const int cut = ::ftruncate(fd, st.st_size);
  return false;
}

class PosixAppendFile final : public AppendFile {
 public:
  explicit PosixAppendFile(int fd) : f_(fd) {}
  bool Write(const std::string& bytes) override { return AppendTo(f_.fd, bytes); }

 private:
  Fd f_;
};

// The lock file stays; an exclusive flock is what is held, by one open at a
// time even within a process, as an unshared open is on Windows.
class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : f_(fd) {}

 private:
  Fd f_;
};

std::int64_t SteadyMs() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The temporary name beside target: this process's id and a count, so two
// writers (two programs, or two threads) never write the same file.
std::string TempBeside(const std::string& target) {
  static std::atomic<unsigned> count{0};
  return target + "." + std::to_string(::getpid()) + "-" + std::to_string(count++) + ".tvl-new";
}

class PosixFileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::wstring& path) override {
    return ReadAtMost(path, SIZE_MAX / 2, nullptr);
  }

  std::optional<std::string> ReadAtMost(const std::wstring& path, std::uint64_t limit, bool* tooLarge) override {
    Fd f(::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (static_cast<std::uint64_t>(st.st_size) > limit) {
      if (tooLarge) *tooLarge = true;
      return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::read(f.fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) return std::nullopt;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
  }

  bool ReplaceContents(const std::wstring& path, const std::string& bytes) override {
    std::string target = Native(path);
    // A read-only target stays as it is, as it would on Windows.
    if (IsReadOnly(target)) return false;
    if (!IsRegular(target) && ::access(target.c_str(), F_OK) == 0) return false;
    std::string temp = TempBeside(target);
    {
      Fd f(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
      if (f.fd < 0) return false;
      if (!WriteAll(f.fd, bytes) || ::fsync(f.fd) != 0) {
        ::unlink(temp.c_str());
        return false;
      }
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
      ::unlink(temp.c_str());
      return false;
    }
    return true;
  }

  bool Append(const std::wstring& path, const std::string& bytes) override {
    Fd f(OpenAppending(Native(path)));
    return f.fd >= 0 && AppendTo(f.fd, bytes);
  }

  std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) override {
    const int fd = OpenAppending(Native(path));
    if (fd < 0) return nullptr;
    return std::make_unique<PosixAppendFile>(fd);
  }

  std::unique_ptr<FileLock> Lock(const std::wstring& path, int waitMs) override {
    Fd f(::open(Native(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (f.fd < 0) return nullptr;
    const std::int64_t until = SteadyMs() + waitMs;
    while (::flock(f.fd, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || SteadyMs() >= until) return nullptr;
      ::usleep(20 * 1000);
    }
    const int fd = f.fd;
    f.fd = -1;
    return std::make_unique<PosixFileLock>(fd);
  }

  bool CanRead(const std::wstring& path) override {
    std::string p = Native(path);
    if (!IsRegular(p)) return false;
    Fd f(::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    return f.fd >= 0;
  }

  bool CanAppend(const std::wstring& path) override {
    if (IsReadOnly(Native(path))) return false;
    Fd f(::open(Native(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    return f.fd >= 0;
  }

  bool Exists(const std::wstring& path) override {
    struct stat st {};
    return ::lstat(Native(path).c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
  }

  std::optional<std::uint64_t> Size(const std::wstring& path) override {
    struct stat st {};
    if (::stat(Native(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
  }

  bool IsFolder(const std::wstring& path) override {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool CreateFolder(const std::wstring& path) override {
    return ::mkdir(Native(path).c_str(), 0755) == 0 || (errno == EEXIST && IsFolder(path));
  }

  bool IsOrdinaryFile(const std::wstring& path) override {
    std::string p = Native(path);
    size_t slash = p.rfind('/');
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    return !name.empty() && name[0] != '.' && IsRegular(p);
  }

  bool AnyOrdinaryFileMatches(const std::wstring& pattern) override {
    return !ListOrdinaryFiles(pattern).empty();
  }

  std::vector<std::wstring> ListOrdinaryFiles(const std::wstring& pattern) override {
    std::vector<std::wstring> names;
    std::string dir, name;
    SplitPattern(Native(pattern), dir, name);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
      if (e->d_name[0] == '.') continue;
      if (::fnmatch(name.c_str(), e->d_name, 0) != 0) continue;
      if (!IsRegular(dir + "/" + e->d_name)) continue;
      names.push_back(text::FromAnsi(e->d_name));
    }
    ::closedir(d);
    return names;
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}
