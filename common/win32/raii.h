// One small owner type per release function. Each closes what it holds when
// it goes out of scope; none can be copied, all can be moved.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// Traits: using T; static T Invalid(); static void Release(T).
template <class Traits>
class Owned {
 public:
  using T = typename Traits::T;
  Owned() = default;
  explicit Owned(T v) : v_(v) {}
  ~Owned() { reset(); }
  Owned(Owned&& o) noexcept : v_(std::exchange(o.v_, Traits::Invalid())) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) {
      reset();
      v_ = std::exchange(o.v_, Traits::Invalid());
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  T get() const { return v_; }
  explicit operator bool() const { return v_ != Traits::Invalid(); }
  T release() { return std::exchange(v_, Traits::Invalid()); }
  void reset(T v = Traits::Invalid()) {
    if (v_ != Traits::Invalid()) Traits::Release(v_);
    v_ = v;
  }

 private:
  T v_ = Traits::Invalid();
};

// CreateFileW and friends: INVALID_HANDLE_VALUE on failure.
struct FileTraits {
  using T = HANDLE;
  static T Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(T h) { ::CloseHandle(h); }
};
// Process and thread handles: null on failure.
struct HandleTraits {
  using T = HANDLE;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::CloseHandle(h); }
};
struct FindTraits {
  using T = HANDLE;
  static T Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(T h) { ::FindClose(h); }
};
struct RegKeyTraits {
  using T = HKEY;
  static T Invalid() { return nullptr; }
  static void Release(T k) { ::RegCloseKey(k); }
};

using FileHandle = Owned<FileTraits>;
using Handle = Owned<HandleTraits>;
using FindHandle = Owned<FindTraits>;
using RegKey = Owned<RegKeyTraits>;

}  // namespace win
