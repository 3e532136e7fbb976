#include "common/shortcut.h"

namespace {

// There is no shell shortcut object outside Windows: nothing can be read or written.
class NoShortcuts final : public ShortcutStore {
 public:
  std::optional<ShortcutInfo> Read(const std::wstring&) override { return std::nullopt; }
  bool SetTarget(const std::wstring&, const std::wstring&, const std::wstring&) override { return false; }
};

}  // namespace

ShortcutStore& RealShortcutStore() {
  static NoShortcuts store;
  return store;
}
