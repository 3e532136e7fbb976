// The start-up approval data: the values the system's start-up manager keeps
// beside each start-up entry to say whether it is switched off. Writing them
// the way that manager does lets the user see the entries disabled there and
// switch them back on there.
//
// A value is REG_BINARY, 12 bytes: byte 0 with its lowest bit set means
// switched off, bytes 1-3 are kept as they are, bytes 4-11 the FILETIME of
// the last change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/registry.h"

namespace autostart {

inline constexpr std::size_t kValueSize = 12;
inline constexpr wchar_t kKeyBase[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

// No value (nullopt), an empty value or byte 0 with its lowest bit clear is
// enabled; the lowest bit set is switched off.
bool IsEnabled(const std::optional<std::string>& bytes);

// The 12 bytes that switch an entry off: byte 0 of the previous value with
// its lowest bit set (0x03 when there was none or it was empty), bytes 1-3 as
// they were (zero where missing), then fileTime little-endian.
std::string SwitchedOffBytes(const std::optional<std::string>& previous, std::uint64_t fileTime);

// The 12 bytes that switch an entry back on as the start-up manager does:
// byte 0 of previous with its lowest bit clear, bytes 1-3 as they were, no
// time.
std::string SwitchedOnBytes(const std::string& previous);

// Where the approval value of a start-up entry lives.
//   user's Run values              HKCU ...\StartupApproved\Run
//   machine Run values, 64-bit     HKLM (64-bit view) ...\Run
//   machine Run values, 32-bit     HKLM (64-bit view) ...\Run32
//   user's Startup folder          HKCU ...\StartupFolder, named by the .lnk file name
//   all-users Startup folder       HKLM (64-bit view) ...\StartupFolder
enum class Place { UserRun, MachineRun64, MachineRun32, UserFolder, CommonFolder };
reg::Address AddressOf(Place place, const std::wstring& name);

}  // namespace autostart
