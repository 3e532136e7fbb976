#include "autostart/startup_approval.h"

namespace autostart {

bool IsEnabled(const std::optional<std::string>& bytes) {
  return !bytes || bytes->empty() || (static_cast<unsigned char>((*bytes)[0]) & 1) == 0;
}

std::string SwitchedOffBytes(const std::optional<std::string>& previous, std::uint64_t fileTime) {
  std::string out(12, '\0');
  if (previous && !previous->empty()) {
    for (std::size_t i = 0; i < 4 && i < previous->size(); ++i) out[i] = (*previous)[i];
    out[0] = static_cast<char>(static_cast<unsigned char>(out[0]) | 1);
  } else {
    out[0] = 0x03;
  }
  for (int i = 0; i < 8; ++i) out[4 + i] = static_cast<char>((fileTime >> (8 * i)) & 0xFF);
  return out;
}

std::string SwitchedOnBytes(const std::string& previous) {
  std::string out(12, '\0');
  for (std::size_t i = 0; i < 4 && i < previous.size(); ++i) out[i] = previous[i];
  out[0] = static_cast<char>(static_cast<unsigned char>(out[0]) & ~1u);
  return out;
}

reg::Address AddressOf(Place place, const std::wstring& name) {
  const bool user = place == Place::UserRun || place == Place::UserFolder;
  const wchar_t* leaf = place == Place::MachineRun32                                  ? L"Run32"
                        : place == Place::UserFolder || place == Place::CommonFolder ? L"StartupFolder"
                                                                                       : L"Run";
  return {user ? reg::Root::CurrentUser : reg::Root::LocalMachine, reg::View::Bits64,
          std::wstring(kKeyBase) + leaf, name};
}

}  // namespace autostart
