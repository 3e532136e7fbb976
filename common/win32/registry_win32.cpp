#include <windows.h>

#include <string>

#include "common/registry.h"
#include "common/win32/raii.h"

namespace reg {

namespace {

HKEY RootKey(Root r) { return r == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
// Every key is opened in the view its address names, so a 32-bit build
// reaches the same values as a 64-bit one.
REGSAM ViewFlag(View v) { return v == View::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

Status FromError(LONG e) {
  switch (e) {
    case ERROR_SUCCESS:
      return Status::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Status::Missing;
    case ERROR_ACCESS_DENIED:
      return Status::Denied;
    default:
      return Status::Failed;
  }
}

LONG Open(const Address& at, const std::wstring& key, REGSAM access, win::RegKey& out) {
  HKEY raw = nullptr;
  LONG e = RegOpenKeyExW(RootKey(at.root), key.c_str(), 0, access | ViewFlag(at.view), &raw);
  if (e == ERROR_SUCCESS) out.reset(raw);
  return e;
}

class SystemRegistry final : public Registry {
 public:
  ValueRead Read(const Address& at) override {
    win::RegKey key;
    if (LONG e = Open(at, at.key, KEY_QUERY_VALUE, key); e != ERROR_SUCCESS) return {FromError(e), {}};
    for (int tries = 0; tries < 4; ++tries) {
      DWORD size = 0;
      LONG e = RegQueryValueExW(key.get(), at.value.c_str(), nullptr, nullptr, nullptr, &size);
      if (e != ERROR_SUCCESS) return {FromError(e), {}};
      std::string bytes(size, '\0');
      e = RegQueryValueExW(key.get(), at.value.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(bytes.data()), &size);
      if (e == ERROR_MORE_DATA) continue;  // it grew meanwhile
      if (e != ERROR_SUCCESS) return {FromError(e), {}};
      bytes.resize(size);
      return {Status::Ok, std::move(bytes)};
    }
    return {Status::Failed, {}};
  }

  Status WriteBinary(const Address& at, const std::string& bytes) override {
    HKEY raw = nullptr;
    LONG e = RegCreateKeyExW(RootKey(at.root), at.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | ViewFlag(at.view),
                             nullptr, &raw, nullptr);
    if (e != ERROR_SUCCESS) return FromError(e);
    win::RegKey key(raw);
    return FromError(RegSetValueExW(key.get(), at.value.c_str(), 0, REG_BINARY,
                                    reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
  }

  Status Delete(const Address& at) override {
    win::RegKey key;
    if (LONG e = Open(at, at.key, KEY_SET_VALUE, key); e != ERROR_SUCCESS) return FromError(e);
    return FromError(RegDeleteValueW(key.get(), at.value.c_str()));
  }

  bool CanWrite(const Address& at) override {
    // A missing key would be created: then its nearest existing parent must
    // let a key be made under it.
    std::wstring key = at.key;
    REGSAM access = KEY_SET_VALUE;
    for (;;) {
      win::RegKey k;
      LONG e = Open(at, key, access, k);
      if (e == ERROR_SUCCESS) return true;
      if (FromError(e) != Status::Missing) return false;
      size_t cut = key.find_last_of(L'\\');
      if (cut == std::wstring::npos) return false;
      key.resize(cut);
      access = KEY_CREATE_SUB_KEY;
    }
  }
};

}  // namespace

Registry& RealRegistry() {
  static SystemRegistry registry;
  return registry;
}

}  // namespace reg
