#include "autostart/win32/startup_entries_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/fileio.h"
#include "common/shortcut.h"
#include "common/text.h"
#include "common/path_rules.h"
#include "common/win32/special_folders.h"
#include "common/win32/raii.h"
#include "common/win32/redirection.h"

namespace autostart {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool Is64BitWindows() {
#ifdef _WIN64
  return true;
#else
  BOOL wow = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow) && wow;
#endif
}

std::optional<std::wstring> Environment(std::wstring_view name) {
  std::wstring n(name);
  DWORD size = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  DWORD got = GetEnvironmentVariableW(n.c_str(), value.data(), size);
  if (got == 0 || got >= size) return std::nullopt;
  value.resize(got);
  return value;
}

// Each value of one Run key; resolved through resolver, or (null) only named
// with its command as stored.
void ReadRunKey(HKEY root, REGSAM view, Source source, const Resolver* resolver, std::vector<Entry>& out) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, kRunKey, 0, KEY_QUERY_VALUE | view, &raw) != ERROR_SUCCESS) return;
  win::RegKey key(raw);
  DWORD maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return;
  std::wstring name(maxName + 1, L'\0');
  std::wstring data(maxData / sizeof(wchar_t) + 2, L'\0');
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    LONG e = RegEnumValueW(key.get(), i, name.data(), &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &dataLen);
    if (e == ERROR_NO_MORE_ITEMS) break;
    if (e == ERROR_MORE_DATA) {
      // A value added meanwhile: grow and read this index again.
      name.resize(name.size() * 2 + 256);
      data.resize(data.size() * 2 + 256);
      --i;
      continue;
    }
    if (e != ERROR_SUCCESS) break;
    const std::wstring valueName(name.data(), nameLen);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::wstring value(data.data(), dataLen / sizeof(wchar_t));
      if (resolver) {
        out.push_back(FromRunValue(source, valueName, text::TrimAtNull(value), *resolver));
      } else {
        Entry named;
        named.source = source;
        named.name = valueName;
        named.command = text::TrimAtNull(value);
        named.approval = autostart::AddressOf(source, valueName);
        out.push_back(std::move(named));
      }
    } else {
      Entry other;
      other.source = source;
      other.name = valueName;
      other.isString = false;
      other.approval = autostart::AddressOf(source, valueName);
      out.push_back(std::move(other));
    }
  }
}

void ReadFolder(int csidl, Source source, bool resolve, std::vector<Entry>& out) {
  std::wstring folder = win::SpecialFolder(csidl);
  if (folder.empty()) return;
  std::wstring f = folder;
  for (const std::wstring& name : RealFileSystem().ListOrdinaryFiles(paths::Join(f, L"*.lnk"))) {
    // "*.lnk" also finds longer extensions through their short names.
    if (!text::EqualsNoCase(paths::Extension(name), L"lnk")) continue;
    if (resolve) {
      out.push_back(FromShortcut(source, folder, name, RealShortcutStore()));
    } else {
      Entry named;
      named.source = source;
      named.name = name;
      named.command = paths::Join(f, name);
      named.approval = autostart::AddressOf(source, name);
      out.push_back(std::move(named));
    }
  }
}

}  // namespace

std::vector<std::wstring> SearchFolders() {
  std::vector<std::wstring> folders;
  wchar_t buf[MAX_PATH + 1] = L"";
  UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) folders.emplace_back(buf, n);
  n = GetWindowsDirectoryW(buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    std::wstring windows(buf, n);
    std::wstring w = windows;
    folders.push_back(paths::Join(w, L"System"));
    folders.push_back(windows);
  }
  if (std::optional<std::wstring> path = Environment(L"PATH"))
    for (std::wstring& f : autostart::SplitSearchPath(*path)) folders.push_back(std::move(f));
  return folders;
}


namespace {
Resolver SystemResolver() { return {autostart::With64BitFolders(Environment), SearchFolders(), RealFileSystem()}; }
}  // namespace

std::vector<Entry> ListEntries(bool resolve) {
  std::vector<Entry> entries;
  {
    win::RedirectionOff redirection;
    const std::optional<Resolver> resolver = resolve ? std::optional(SystemResolver()) : std::nullopt;
    const Resolver* r = resolver ? &*resolver : nullptr;
    ReadRunKey(HKEY_CURRENT_USER, KEY_WOW64_64KEY, Source::UserRun, r, entries);
    ReadRunKey(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, Source::MachineRun64, r, entries);
    if (Is64BitWindows()) ReadRunKey(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, Source::MachineRun32, r, entries);
  }
  ReadFolder(CSIDL_STARTUP, Source::UserFolder, resolve, entries);
  ReadFolder(CSIDL_COMMON_STARTUP, Source::CommonFolder, resolve, entries);
  for (Entry& e : entries) {
    reg::ValueRead v = reg::RealRegistry().Read(e.approval);
    e.enabled = autostart::IsEnabled(v.status == reg::Status::Ok ? std::optional<std::string>(v.bytes) : std::nullopt);
  }
  return entries;
}

void Resolve(Entry& e) {
  if (!e.isString || !e.program.empty()) return;
  const bool enabled = e.enabled;
  if (e.source == Source::UserFolder || e.source == Source::CommonFolder) {
    e = FromShortcut(e.source, paths::Parent(e.command), e.name, RealShortcutStore());
  } else {
    win::RedirectionOff redirection;
    e = FromRunValue(e.source, e.name, e.command, SystemResolver());
  }
  e.enabled = enabled;
}

bool HasApprovalData() {
  // The version the system really runs, whatever the manifest declares.
  using Fn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto get = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (!get || get(&v) != 0) return false;
  return v.dwMajorVersion > 6 || (v.dwMajorVersion == 6 && v.dwMinorVersion >= 2);
}

std::vector<std::wstring> EnabledProgramPaths() {
  std::vector<std::wstring> paths;
  for (const Entry& e : ListEntries())
    if (e.enabled && e.isString && e.readable && !e.program.empty()) paths.push_back(e.program);
  return paths;
}

}  // namespace autostart
