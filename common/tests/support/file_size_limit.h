// Fault injection for the real disk (POSIX builds): while a FileSizeLimit
// lives, files may grow to at most limit bytes, so a write beyond that fails
// part-way, as on a full disk.
#pragma once

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>

namespace tvltest {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit r = old_;
    r.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldSignal_)(int);
};

}  // namespace tvltest
#endif
