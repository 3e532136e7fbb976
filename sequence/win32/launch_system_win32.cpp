#include "sequence/win32/launch_system_win32.h"

#include <windows.h>
#include <objbase.h>
#include <netlistmgr.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/win32/file_time.h"
#include "common/shell_open.h"
#include "common/win32/process.h"
#include "common/win32/message_boxes.h"
#include "common/win32/raii.h"
#include "common/win32/redirection.h"
#include "common/win32/shell_link.h"

namespace {

constexpr DWORD kLongPath = 32768;

// Where a start of file would find it: the system's search order, or the
// full path from the current directory.
std::wstring Resolve(const std::wstring& file) {
  std::vector<wchar_t> buffer(kLongPath);
  DWORD n = ::SearchPathW(nullptr, file.c_str(), nullptr, kLongPath, buffer.data(), nullptr);
  if (!n || n >= kLongPath) n = ::GetFullPathNameW(file.c_str(), kLongPath, buffer.data(), nullptr);
  if (!n || n >= kLongPath) return file;
  return std::wstring(buffer.data(), n);
}

std::wstring ImagePath(HANDLE process) {
  std::vector<wchar_t> buffer(kLongPath);
  DWORD size = kLongPath;
  if (!::QueryFullProcessImageNameW(process, 0, buffer.data(), &size)) return L"";
  return std::wstring(buffer.data(), size);
}

// The path the system itself has for the file at path: links, short names,
// "\\?\" prefixes and drive aliases resolved; empty when it cannot be opened.
std::wstring FinalPath(const std::wstring& path) {
  if (path.empty()) return L"";
  win::FileHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return L"";
  std::vector<wchar_t> buffer(kLongPath);
  const DWORD n = ::GetFinalPathNameByHandleW(file.get(), buffer.data(), kLongPath, FILE_NAME_NORMALIZED);
  return n && n < kLongPath ? std::wstring(buffer.data(), n) : L"";
}

std::uint64_t CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return win::FileTimeValue(created);
}

// The command line another process was started with; nullopt when it
// cannot be read.
std::optional<std::wstring> CommandLineOf(HANDLE process) {
  // Windows 8.1 and later hand it out whole.
  constexpr auto kCommandLineInformation = static_cast<PROCESSINFOCLASS>(60);
  ULONG size = sizeof(UNICODE_STRING) + 1024;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);  // aligned for the string's header
    const ULONG given = static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t));
    const NTSTATUS status = ::NtQueryInformationProcess(process, kCommandLineInformation, buffer.data(), given, &size);
    if (NT_SUCCESS(status)) {
      const auto* line = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
      return std::wstring(line->Buffer, line->Length / sizeof(wchar_t));
    }
    if (size <= given) break;  // not too small: the class is not there (the emulator), or the process denies it
  }
  // Elsewhere (older systems, the emulator) from its parameter block, whose
  // layout is this program's own only when both have the same bitness.
  BOOL selfWow = FALSE, otherWow = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &selfWow) || !::IsWow64Process(process, &otherWow) ||
      selfWow != otherWow)
    return std::nullopt;
  PROCESS_BASIC_INFORMATION basic{};
  if (!NT_SUCCESS(::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr)) ||
      !basic.PebBaseAddress)
    return std::nullopt;
  PRTL_USER_PROCESS_PARAMETERS where = nullptr;
  RTL_USER_PROCESS_PARAMETERS parameters{};
  const BYTE* block = reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + offsetof(PEB, ProcessParameters);
  if (!::ReadProcessMemory(process, block, &where, sizeof where, nullptr) ||
      !where || !::ReadProcessMemory(process, where, &parameters, sizeof parameters, nullptr))
    return std::nullopt;
  std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!line.empty() &&
      !::ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(), line.size() * sizeof(wchar_t), nullptr))
    return std::nullopt;
  return line;
}

// Does the executable of process say Windows GUI in its header?
bool IsGuiProgram(HANDLE process) {
  const std::wstring path = ImagePath(process);
  if (path.empty()) return false;
  win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  std::string head(pe::kHeadBytes, '\0');
  DWORD read = 0;
  if (!::ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return false;
  head.resize(read);
  return pe::Subsystem(head) == pe::kWindowsGui;
}

class Win32Watch final : public ProcessWatch {
 public:
  Win32Watch(win::Handle process, bool gui) : process_(std::move(process)), gui_(gui) {}
  bool HasWindows() const override { return gui_; }
  std::optional<std::uint32_t> ExitCode() override {
    DWORD code = 0;
    if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process_.get(), &code))
      return std::nullopt;
    return code;
  }
  std::optional<std::uint64_t> CpuTime() override {
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(process_.get(), &created, &ended, &kernel, &user)) return std::nullopt;
    return win::FileTimeValue(kernel) + win::FileTimeValue(user);
  }
  bool IsReady() override {
    if (!gui_) return true;
    // Ended, or a handle that cannot be waited on: nothing to wait for.
    const DWORD state = ::WaitForSingleObject(process_.get(), 0);
    if (state != WAIT_TIMEOUT) return true;
    // 0: it has finished starting and waits for input. A timeout, or a
    // failure (the emulator fails the call until the process has loaded),
    // means not yet.
    return ::WaitForInputIdle(process_.get(), 0) == 0;
  }

 private:
  win::Handle process_;
  bool gui_;
};

// Any other program than a GUI one is ready at once.
std::unique_ptr<ProcessWatch> WatchOf(win::Handle process) {
  if (!process) return nullptr;
  const bool gui = IsGuiProgram(process.get());
  return std::make_unique<Win32Watch>(std::move(process), gui);
}

struct ItemListFree {
  void operator()(ITEMIDLIST* p) const { ::CoTaskMemFree(p); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

// The shell item a shortcut names when its target has no file path; null
// for anything else.
ItemList ShellItemOf(const std::wstring& file) {
  if (!text::EqualsNoCase(paths::Extension(file), L"lnk")) return nullptr;
  win::ShellLink l = win::NewShellLink();
  if (!l.file || FAILED(l.file.get()->Load(file.c_str(), STGM_READ))) return nullptr;
  std::vector<wchar_t> path(kLongPath, L'\0');
  if (SUCCEEDED(l.link.get()->GetPath(path.data(), kLongPath, nullptr, 0)) && path[0]) return nullptr;
  PIDLIST_ABSOLUTE item = nullptr;
  if (FAILED(l.link.get()->GetIDList(&item))) return nullptr;
  return ItemList(item);
}

// The shell seam with the process the shell hands back kept.
class KeepingShell final : public Shell {
 public:
  std::intptr_t Execute(WindowHandle owner, const std::wstring& file, const std::wstring& directory,
                        int showState) override {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    win::ComInit com(SUCCEEDED(hr));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = static_cast<HWND>(owner);
    info.lpFile = file.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = showState;
    const ItemList item = ShellItemOf(file);
    if (item) info.fMask |= SEE_MASK_FLAG_NO_UI;  // a second way follows
    BOOL ok = ::ShellExecuteExW(&info);
    DWORD failure = ok ? 0 : ::GetLastError();
    if (!ok && item) {
      // Some shells open such a shortcut's empty path rather than its item
      // (the emulator does): the item is then opened itself, as the shortcut
      // would have opened it.
      info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_IDLIST;
      info.lpFile = nullptr;
      info.lpIDList = item.get();
      ok = ::ShellExecuteExW(&info);
      failure = ok ? 0 : ::GetLastError();
    }
    // No process when the document went to a program that was already running.
    process.reset(info.hProcess);
    const std::intptr_t code = ok ? 33 : reinterpret_cast<std::intptr_t>(info.hInstApp);
    if (!ok) error = failure ? failure : ErrorOfShellCode(code);
    return code;
  }
  win::Handle process;
  DWORD error = 0;  // why the shell could not open it; 0 when it did, or was not asked

 private:
  // The system error a ShellExecute result stands for.
  static DWORD ErrorOfShellCode(std::intptr_t code) {
    switch (code) {
      case SE_ERR_FNF: return ERROR_FILE_NOT_FOUND;
      case SE_ERR_PNF: return ERROR_PATH_NOT_FOUND;
      case SE_ERR_ACCESSDENIED: return ERROR_ACCESS_DENIED;
      case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
      case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
      case SE_ERR_ASSOCINCOMPLETE:
      case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
      case SE_ERR_DDETIMEOUT:
      case SE_ERR_DDEFAIL:
      case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
      case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
      default: return ERROR_NO_ASSOCIATION;
    }
  }
};

class Win32LaunchSystem final : public LaunchSystem {
 public:
  bool EnterFolder(const std::wstring& folder) override {
    if (folder.empty() || !IsFolderPresent(folder, RealFileSystem())) return true;
    return ::SetCurrentDirectoryW(folder.c_str()) != FALSE;
  }

  LaunchResult StartProgram(const std::wstring& commandLine, int showState, bool watch) override {
    LaunchResult r;
    DWORD id = 0;
    DWORD error = 0;
    win::Handle process;
    {
      // The 32-bit build starts what the 64-bit one would (System32, not SysWOW64).
      win::RedirectionOff redirection;
      process = win::StartProcess(commandLine, showState, &id);
      error = ::GetLastError();
    }
    if (!process) {
      r.error = win::SystemErrorText(error);
      return r;
    }
    r.ok = true;
    r.processId = id;
    r.created = CreationTime(process.get());
    if (watch) r.watch = WatchOf(std::move(process));
    return r;
  }

  LaunchResult Open(WindowHandle owner, const std::wstring& target, bool watch) override {
    KeepingShell shell;
    LaunchResult r;
    r.ok = ShellOpen(owner, target, shell, RealFileSystem());
    // The shell's own reason, also for an address (which ShellOpen counts as
    // handed over); a missing document never reached it and has none.
    if (shell.error) {
      r.ok = false;
      r.error = win::SystemErrorText(shell.error);
    }
    if (shell.process) {
      r.processId = ::GetProcessId(shell.process.get());
      r.created = CreationTime(shell.process.get());
    }
    if (watch) r.watch = WatchOf(std::move(shell.process));
    return r;
  }

  std::optional<std::vector<ProcessEntry>> Snapshot() override {
    // The system's own process list, which a toolhelp snapshot copies into a
    // section first: read directly, it costs a tenth under the emulator, and
    // a run at log-on pays it every few seconds. The buffer stays for the
    // next list at the size the last one needed, so that one call is one ask,
    // and it is not cleared: the system writes what is read.
    constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    NTSTATUS status = kLengthMismatch;
    for (int attempt = 0; attempt < 4 && status == kLengthMismatch; ++attempt) {
      if (!snapshotBuffer_) snapshotBuffer_.reset(new std::uint64_t[snapshotWords_]);  // aligned for the records
      const ULONG given = static_cast<ULONG>(snapshotWords_ * sizeof(std::uint64_t));
      ULONG needed = 0;
      status = ::NtQuerySystemInformation(SystemProcessInformation, snapshotBuffer_.get(), given, &needed);
      if (status == kLengthMismatch) {
        // Processes may start between two asks: some room beyond the size asked.
        snapshotWords_ = (std::max(needed, given) + given / 2) / sizeof(std::uint64_t) + 1;
        snapshotBuffer_.reset();
      }
    }
    if (!NT_SUCCESS(status)) return std::nullopt;
    std::vector<ProcessEntry> entries;
    const DWORD self = ::GetCurrentProcessId();
    entries.reserve(lastCount_);
    const auto* bytes = reinterpret_cast<const BYTE*>(snapshotBuffer_.get());
    for (size_t at = 0;;) {
      const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(bytes + at);
      const auto id = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId));
      if (id != 0 && id != self)
        entries.push_back({id, static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(p->InheritedFromUniqueProcessId)),
                           std::wstring(p->ImageName.Buffer ? p->ImageName.Buffer : L"",
                                        p->ImageName.Buffer ? p->ImageName.Length / sizeof(wchar_t) : 0),
                           static_cast<std::uint64_t>(p->CreateTime.QuadPart),
                           static_cast<std::uint64_t>(p->KernelTime.QuadPart + p->UserTime.QuadPart)});
      if (!p->NextEntryOffset) break;
      at += p->NextEntryOffset;
    }
    lastCount_ = entries.size();
    return entries;
  }

  std::optional<ProcessFacts> Inspect(std::uint32_t id) override {
    // Its memory only for the command line where the system does not hand it
    // out; a process that lets this user query but not read it still answers.
    win::Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process) process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) return std::nullopt;
    // An ended process stays openable while anyone holds a handle to it.
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.get(), &exitCode) || exitCode != STILL_ACTIVE) return std::nullopt;
    ProcessFacts facts;
    facts.created = CreationTime(process.get());
    const std::vector<BYTE>& me = OwnUser();
    const std::vector<BYTE> user = UserOf(process.get());
    facts.sameUser = !me.empty() && !user.empty() &&
                     ::EqualSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid,
                                reinterpret_cast<const TOKEN_USER*>(me.data())->User.Sid);
    if (!facts.sameUser) return facts;
    DWORD session = 0, own = 0;
    facts.sameSession = ::ProcessIdToSessionId(id, &session) &&
                        ::ProcessIdToSessionId(::GetCurrentProcessId(), &own) && session == own;
    if (!facts.sameSession) return facts;
    {
      // As ProgramPath: a 64-bit program's System32 is not read as SysWOW64.
      win::RedirectionOff redirection;
      facts.program = FinalPath(ImagePath(process.get()));
    }
    if (facts.program.empty()) return facts;
    facts.commandLine = CommandLineOf(process.get());
    return facts;
  }

  std::optional<std::uint64_t> CreatedAt(std::uint32_t id) override {
    win::Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    const std::uint64_t created = process ? CreationTime(process.get()) : 0;
    return created ? std::optional(created) : std::nullopt;
  }

  std::wstring ProgramPath(const std::wstring& file, const std::wstring& folder) override {
    // Found as StartProgram finds it: a System32 item is the 64-bit program
    // there, not the 32-bit one of SysWOW64 (nor missing when only the
    // 64-bit one exists).
    win::RedirectionOff redirection;
    // A relative file is started from the item's folder, entered just before
    // the start, whatever folder the item before left.
    const bool relative = file.size() < 2 || (file[1] != L':' && !paths::IsSeparator(file[0], paths::Style::Windows));
    if (relative && !folder.empty() && IsFolderPresent(folder, RealFileSystem()))
      if (std::wstring inFolder = FinalPath(paths::Join(folder, file)); !inFolder.empty()) return inFolder;
    return FinalPath(Resolve(file));
  }

  std::optional<bool> InternetConnected() override {
    // Asked anew each time, with COM for just the call: the window's thread
    // keeps no apartment of its own, and the answer may change between ticks.
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    win::ComInit com(SUCCEEDED(hr));
    INetworkListManager* raw = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                                  reinterpret_cast<void**>(&raw))) ||
        !raw)
      return std::nullopt;
    win::ComPtr<INetworkListManager> manager(raw);
    NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
    if (FAILED(manager.get()->GetConnectivity(&connectivity))) return std::nullopt;
    return (connectivity & (NLM_CONNECTIVITY_IPV4_INTERNET | NLM_CONNECTIVITY_IPV6_INTERNET)) != 0;
  }

  std::optional<std::int64_t> SteadyMs() override { return static_cast<std::int64_t>(::GetTickCount64()); }

 private:
  const std::vector<BYTE>& OwnUser() {
    if (ownUser_.empty()) ownUser_ = UserOf(::GetCurrentProcess());
    return ownUser_;
  }
  std::vector<BYTE> ownUser_;
  // 32 KB hold the list of a few dozen processes.
  std::size_t snapshotWords_ = 4 * 1024;
  std::unique_ptr<std::uint64_t[]> snapshotBuffer_;
  std::size_t lastCount_ = 0;

  // The TOKEN_USER of a process; empty when it cannot be read.
  static std::vector<BYTE> UserOf(HANDLE process) {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &raw)) return {};
    win::Handle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) return {};
    std::vector<BYTE> user(size);
    if (!::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
    return user;
  }
};

}  // namespace

LaunchSystem& RealLaunchSystem() {
  static Win32LaunchSystem system;
  return system;
}
