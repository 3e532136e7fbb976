// The registry seam: the few registry operations the start-up approval data
// needs, so that switching entries off, putting them back and restoring them
// are tested with a fake registry. The real one (Windows builds) uses the
// wide API and opens every key in the view the address names.
#pragma once

#include <string>

namespace reg {

enum class Root { CurrentUser, LocalMachine };
// The 64-bit view is the only view on 32-bit Windows.
enum class View { Bits64, Bits32 };

// One value: root, view, key path under the root, value name.
struct Address {
  Root root = Root::CurrentUser;
  View view = View::Bits64;
  std::wstring key;
  std::wstring value;
  bool operator==(const Address&) const = default;
};

enum class Status {
  Ok,
  Missing,  // no such key or value
  Denied,   // no rights
  Failed,   // any other failure
};

struct ValueRead {
  Status status = Status::Failed;
  std::string bytes;  // the value's data as stored, whatever its type (Ok only)
};

class Registry {
 public:
  virtual ~Registry() = default;
  virtual ValueRead Read(const Address& at) = 0;
  // Writes bytes as REG_BINARY, creating the key when missing.
  virtual Status WriteBinary(const Address& at, const std::string& bytes) = 0;
  // Removes the value; Missing when it was not there.
  virtual Status Delete(const Address& at) = 0;
  // True when the key (or, where it does not exist yet, the nearest existing
  // key above it) opens for writing. Opens only; writes nothing.
  virtual bool CanWrite(const Address& at) = 0;
};

// The system's registry (Windows builds only).
Registry& RealRegistry();

}  // namespace reg
