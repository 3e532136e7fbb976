// The wizard taking over every start-up entry, run as the user runs it, on
// the real registry, shortcuts and record file: Run values in both registry
// views and shortcuts in both Startup folders are seeded, the program is
// walked through its pages (the machine's entries chosen, a sequence file of
// the user's own), and what it found, "Tarvoline.lnk", the approval values
// and the record are checked; a second run into another file must leave
// every switched-off entry an item there; then "/restore" must bring every
// approval value back and refuse a forged record. Tarvoline's guard then
// leaves on an entry the user switched back on for an item removed in the
// editor, switches it off again once an item starts it, and "/restore"
// (refused while the record is held) still returns it to its state before the
// take-over. The records' layout, the names and paths they cannot hold and
// what a second run cannot add are the native tables' (generation_test,
// switch_off_test). The tests run in a Wine prefix of its own (see
// CMakeLists.txt) and remove what they seeded.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/fileio.h"
#include "common/registry.h"
#include "common/shortcut.h"
#include "autostart/startup_approval.h"
#include "autostart/switched_off_record.h"
#include "common/text.h"
#include "common/win32/controls.h"
#include "common/win32/special_folders.h"
#include "common/win32/raii.h"
#include "common/tests/support/make_shortcut_win32.h"
#include "common/tests/support/program_win32.h"
#include "wizard/switch_off.h"
#include "common/tests/support/temp_folder.h"
#include "wizard/win32/control_ids.h"

namespace {

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A Run value to seed; an empty value deletes it again.
struct RunValue {
  HKEY root;
  REGSAM view;
  const wchar_t* name;
  std::wstring value;
  DWORD type = REG_SZ;
};

void Set(const RunValue& v) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(v.root, kRun, 0, nullptr, 0, KEY_SET_VALUE | v.view, nullptr, &raw, nullptr), ERROR_SUCCESS);
  win::RegKey key(raw);
  if (v.value.empty()) return void(RegDeleteValueW(key.get(), v.name));
  ASSERT_EQ(RegSetValueExW(key.get(), v.name, 0, v.type, reinterpret_cast<const BYTE*>(v.value.c_str()),
                           static_cast<DWORD>((v.value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

// "TVLpreparer.exe /restore": its message, answered, and its exit code.
std::pair<std::wstring, DWORD> Restore(const std::wstring& exe) {
  tvltest::Process p;
  if (!p.Start(exe, L" /restore")) return {L"(not started)", 98};
  std::wstring said = tvltest::AnswerMessage(p.pi.dwThreadId);
  return {said, p.Wait()};
}

std::string Item(const std::wstring& title, const std::wstring& file, const std::wstring& current,
                 const std::wstring& option) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[16];
  swprintf(date, 16, L"%04d/%02d/%02d", now.wYear, now.wMonth, now.wDay);
  return text::ToAnsi(std::wstring(date) + L"\uFF1A" + title + L"\x01\x01" L"File=" + file + L"\r\nCurrent=" + current +
                      L"\r\nOption=" + option + L"\r\nSize = 1\r\nNoUse = 0\x01");
}

reg::Address Approval(autostart::Place place, const std::wstring& name) { return autostart::AddressOf(place, name); }

TEST(TakeOverWin32, TakesEveryEntrySwitchesTheOriginalsOffAndRestoresThem) {
  using autostart::Place;
  TempFolder t;
  const std::wstring T = t.path();
  auto stub = [&](const std::wstring& path) { return t.Write(path, "MZ"); };
  const std::wstring userApp = stub(L"User App\\userapp.exe"), machineApp = stub(L"Machine App\\machine.exe");
  const std::wstring plain = stub(L"plain.exe"), tray = stub(L"tray.exe"), shared = stub(L"shared.exe");
  const std::wstring own = t / L"program", exe = own + L"\\TVLpreparer.exe";
  stub(L"program\\Tarvoline.exe");
  ASSERT_TRUE(CopyFileW((tvltest::ProgramFolder() + L"\\TVLpreparer.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring x86 = win::SpecialFolder(CSIDL_PROGRAM_FILESX86);
  ASSERT_FALSE(x86.empty()) << "needs a 64-bit prefix";
  const std::wstring tool32 = stub(x86 + L"\\TVLTest32\\tool32.exe");

  const std::wstring startup = win::SpecialFolder(CSIDL_STARTUP);
  const std::wstring common = win::SpecialFolder(CSIDL_COMMON_STARTUP);
  for (const std::wstring& folder : {startup, common}) {
    ASSERT_FALSE(folder.empty());
    std::filesystem::create_directories(std::filesystem::path(folder));
  }
  const std::wstring record = win::SpecialFolder(CSIDL_LOCAL_APPDATA) + L"\\Tarvoline\\SwitchedOff.txt";
  DeleteFileW(record.c_str());

  // Four Run values (one switched off before), two shortcuts of the user's
  // and one of all users.
  RunValue runs[] = {
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"UserApp", L"\"" + userApp + L"\" /min"},
      {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"MachineApp", machineApp + L" --tray"},
      {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Tool32", L"\"%ProgramFiles(x86)%\\TVLTest32\\tool32.exe\" -q", REG_EXPAND_SZ},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"WasOff", userApp}};
  for (const RunValue& v : runs) Set(v);
  const std::string wasOff("\x03\x00\x00\x00\x10\x20\x30\x40\x50\x60\x70\x01", 12);
  reg::Registry& registry = reg::RealRegistry();
  ASSERT_EQ(registry.WriteBinary(Approval(Place::UserRun, L"WasOff"), wasOff), reg::Status::Ok);
  ASSERT_TRUE(tvltest::MakeShortcut(startup + L"\\Plain.lnk", {plain, T, SW_SHOWNORMAL, L"", L""}));
  ASSERT_TRUE(tvltest::MakeShortcut(startup + L"\\Tray.lnk", {tray, T, SW_SHOWNORMAL, L"/background", L""}));
  ASSERT_TRUE(tvltest::MakeShortcut(common + L"\\Shared.lnk", {shared, T, SW_SHOWNORMAL, L"", L""}));

  const std::vector<reg::Address> taken{
      Approval(Place::UserRun, L"UserApp"),     Approval(Place::MachineRun64, L"MachineApp"),
      Approval(Place::MachineRun32, L"Tool32"), Approval(Place::UserFolder, L"Plain.lnk"),
      Approval(Place::UserFolder, L"Tray.lnk"), Approval(Place::CommonFolder, L"Shared.lnk")};
  for (const reg::Address& a : taken) registry.Delete(a);
  // Tarvoline switched off once in the start-up manager: switched back on.
  const reg::Address ownApproval = Approval(Place::UserFolder, L"Tarvoline.lnk");
  ASSERT_EQ(registry.WriteBinary(ownApproval, wasOff), reg::Status::Ok);
  const std::wstring sequenceFile = T + L"\\My Items.pmw";

  // The emulator says Windows 7 unless told otherwise; the program under test
  // runs as on Windows 10, where the start-up approval data exists.
  constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\TVLpreparer.exe";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, L"win10", sizeof L"win10"), ERROR_SUCCESS);

  const size_t n = taken.size();
  // Walks the wizard: the machine's entries chosen, the user's own file.
  auto walk = [&](const std::wstring& target) {
    tvltest::Process wizard;
    if (!wizard.Start(exe)) return std::wstring(L"(not started)");
    HWND window = tvltest::WaitForWindow(wizard.pi.dwThreadId, L"TVLpreparerMain");
    if (!window) return std::wstring(L"(no window)");
    HWND host = GetDlgItem(window, win::IdOf(wizard::Control::PageHost));
    auto next = [&] {
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(win::IdOf(wizard::Control::Next), BN_CLICKED), (LPARAM)GetDlgItem(window, win::IdOf(wizard::Control::Next)));
    };
    auto shows = [&](int page) {
      for (int i = 0; i < 200 && !IsWindowVisible(GetDlgItem(host, win::IdOf(wizard::PageOf(page)))); ++i) Sleep(50);
      return IsWindowVisible(GetDlgItem(host, win::IdOf(wizard::PageOf(page)))) != FALSE;
    };
    auto press = [&](int page) { return next(), page >= 5 || shows(page); };  // Next (Finish) until the page shows
    EXPECT_TRUE(press(1));
    HWND machine = GetDlgItem(GetDlgItem(host, win::IdOf(wizard::PageOf(1))), win::IdOf(wizard::Control::TakeMachineEntries));
    EXPECT_TRUE(machine) << "the wizard may write the machine's approval data here";
    SendMessageW(machine, BM_CLICK, 0, 0);
    EXPECT_TRUE(press(2));
    // The caption from the version resource; the default file beside the program.
    EXPECT_EQ(tvltest::TextOf(window), L"TVLpreparer Ver.1.1.0");
    HWND file = GetDlgItem(GetDlgItem(host, win::IdOf(wizard::PageOf(2))), win::IdOf(wizard::Control::SequenceFile));
    EXPECT_TRUE(text::EqualsNoCase(tvltest::TextOf(file), own + L"\\StartUp.pmw")) << text::ToUtf8(tvltest::TextOf(file));
    SetWindowTextW(file, target.c_str());
    EXPECT_TRUE(press(3));
    EXPECT_TRUE(press(4));
    press(5);
    const std::wstring closing = tvltest::AnswerMessage(wizard.pi.dwThreadId);
    EXPECT_EQ(wizard.Wait(), 0u);
    return closing;
  };
  const std::wstring closing = walk(sequenceFile);
  EXPECT_NE(closing.find(std::to_wstring(n) + L" 件を無効にしました"), std::wstring::npos) << text::ToUtf8(closing);
  EXPECT_NE(closing.find(L"Tarvoline.lnkを有効に戻しました"), std::wstring::npos);

  // Tarvoline's own shortcut reads the chosen file and is switched on again.
  std::optional<ShortcutInfo> link = RealShortcutStore().Read(startup + L"\\Tarvoline.lnk");
  ASSERT_TRUE(link);
  EXPECT_TRUE(text::EqualsNoCase(link->targetPath, own + L"\\Tarvoline.exe")) << text::ToUtf8(link->targetPath);
  EXPECT_EQ(link->arguments, L"\"" + sequenceFile + L"\"");
  EXPECT_EQ(registry.Read(ownApproval).bytes, std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));

  // Exactly n items, each as the system gave it: the 32-bit view's value
  // expanded to the real x86 program folder, every shortcut's arguments.
  const std::wstring bodies[] = {
      L"File=" + userApp + L"\r\nCurrent=" + T + L"\\User App\r\nOption=/min",
      L"File=" + machineApp + L"\r\nCurrent=" + T + L"\\Machine App\r\nOption=--tray",
      L"File=" + tool32 + L"\r\nCurrent=" + x86 + L"\\TVLTest32\r\nOption=-q", L"File=" + plain + L"\r\n",
      L"File=" + tray + L"\r\nCurrent=" + T + L"\r\nOption=/background", L"File=" + shared + L"\r\n"};
  auto expectItems = [&](const std::wstring& file) {
    const std::wstring sequence = text::FromAnsi(TempFolder::Read(file));
    EXPECT_EQ(std::count(sequence.begin(), sequence.end(), L'\x01'), 3 * static_cast<long>(n));
    for (const std::wstring& body : bodies) EXPECT_NE(sequence.find(body), std::wstring::npos) << text::ToUtf8(body);
  };
  expectItems(sequenceFile);

  // Those n switched off as the start-up manager does; the one off before
  // untouched.
  for (const reg::Address& a : taken) {
    const std::string bytes = registry.Read(a).bytes;
    EXPECT_TRUE(bytes.size() == 12 && bytes.starts_with(std::string("\x03\0\0\0", 4))) << text::ToUtf8(a.value);
  }
  EXPECT_EQ(registry.Read(Approval(Place::UserRun, L"WasOff")).bytes, wasOff);

  // A second run into another file re-points Tarvoline.lnk: the entries the
  // first switched off (and now skips as off) get their items there too.
  const std::wstring secondFile = T + L"\\Second.pmw";
  const std::wstring again = walk(secondFile);
  EXPECT_NE(again.find(L"登録 " + std::to_wstring(n) + L" 件の項目を"), std::wstring::npos) << text::ToUtf8(again);
  link = RealShortcutStore().Read(startup + L"\\Tarvoline.lnk");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->arguments, L"\"" + secondFile + L"\"");
  expectItems(secondFile);

  // The undo command: no wizard, one message, every value as it was.
  const auto [report, restored] = Restore(exe);
  EXPECT_NE(report.find(std::to_wstring(n) + L" 件の登録を有効に戻しました。"), std::wstring::npos) << text::ToUtf8(report);
  EXPECT_EQ(restored, 0u);
  for (const reg::Address& a : taken) EXPECT_EQ(registry.Read(a).status, reg::Status::Missing) << text::ToUtf8(a.value);
  EXPECT_EQ(registry.Read(Approval(Place::UserRun, L"WasOff")).bytes, wasOff);
  EXPECT_EQ(wizard::switchoff::ParseRecord(TempFolder::Read(record)), std::vector<wizard::switchoff::Change>{});

  // A forged record line that names a Run value itself (its bytes as they
  // are, so that it reads as "still as written") is refused: the value stays.
  const reg::Address runValue{reg::Root::CurrentUser, reg::View::Bits64, kRun, L"UserApp"};
  const std::string forgedRecord =
      wizard::switchoff::FormatRecord({{runValue, std::nullopt, registry.Read(runValue).bytes}});
  ASSERT_TRUE(RealFileSystem().ReplaceContents(record, forgedRecord));
  const auto [refusal, refused] = Restore(exe);
  EXPECT_NE(refusal.find(L"記録ファイルを読み取れませんでした"), std::wstring::npos) << text::ToUtf8(refusal);
  EXPECT_EQ(refused, 1u);
  EXPECT_EQ(registry.Read(runValue).status, reg::Status::Ok);
  EXPECT_EQ(TempFolder::Read(record), forgedRecord);

  // What this test seeded goes again.
  for (RunValue& v : runs) v.value.clear(), Set(v);
  registry.Delete(ownApproval);
  registry.Delete(Approval(Place::UserRun, L"WasOff"));
  for (const std::wstring& f : {startup + L"\\Plain.lnk", startup + L"\\Tray.lnk", startup + L"\\Tarvoline.lnk",
                                common + L"\\Shared.lnk", tool32, record})
    DeleteFileW(f.c_str());
  RemoveDirectoryW(std::filesystem::path(tool32).parent_path().wstring().c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults);
}

// The user removes the item in the editor and switches the entry back on as
// the start-up manager does: Tarvoline's guard leaves it on and says why.
// With the item back, an entry that switched itself on is switched off
// again; /restore while another program holds the record open changes no
// value, and afterwards returns the value to what it was before the take-over.
TEST(TakeOverWin32, GuardSwitchesOffOnlyWhatAnItemStartsAndRestoreWritesTheRecordFirst) {
  TempFolder t;
  // The start tests' probe plays the program: it ends at once.
  const std::wstring chat = t / L"chat.exe", exe = t / L"Tarvoline.exe", wizardExe = t / L"TVLpreparer.exe";
  const std::wstring probe = tvltest::ProgramFolder() + L"\\..\\sequencer\\tests\\tvl_probe.exe";
  ASSERT_TRUE(CopyFileW(probe.c_str(), chat.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((tvltest::ProgramFolder() + L"\\..\\sequencer\\Tarvoline.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((tvltest::ProgramFolder() + L"\\TVLpreparer.exe").c_str(), wizardExe.c_str(), FALSE));
  const std::wstring folder = win::SpecialFolder(CSIDL_LOCAL_APPDATA) + L"\\Tarvoline";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring record = folder + L"\\SwitchedOff.txt", seen = folder + L"\\SeenEntries.txt";
  DeleteFileW(record.c_str());
  DeleteFileW(seen.c_str());

  const RunValue run{HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"GuardChat", L"\"" + chat + L"\" -min"};
  Set(run);
  reg::Registry& registry = reg::RealRegistry();
  const reg::Address at = Approval(autostart::Place::UserRun, L"GuardChat");
  const std::string before("\x02\0\0\0\x11\x22\x33\x44\x55\x66\x77\x01", 12);
  ASSERT_EQ(registry.WriteBinary(at, before), reg::Status::Ok);
  ASSERT_EQ(wizard::switchoff::SwitchOff({at}, 0x01D0000000000000ull, record, registry, RealFileSystem()).outcome,
            wizard::switchoff::Outcome::SwitchedOff);
  auto switchOn = [&] { return registry.WriteBinary(at, autostart::SwitchedOnBytes(registry.Read(at).bytes)); };
  auto log = [&] { return text::FromUtf8(TempFolder::Read(t / L"Tarvoline.log")); };
  auto says = [&](const std::wstring& ja, const std::wstring& en) {
    const std::wstring l = log();
    return l.find(ja) != std::wstring::npos || l.find(en) != std::wstring::npos;
  };
  t.Write(L"Tarvoline.ini", "CPULimit = 100\r\n");

  // The file as the editor saves it without the item: the entry stays on.
  ASSERT_EQ(switchOn(), reg::Status::Ok);
  t.Write(L"Startup.pmw", Item(L"notes", t / L"missing.txt", L"", L""));
  EXPECT_EQ(tvltest::Run(exe), 0u);
  EXPECT_TRUE(says(L"「GuardChat」が自分で有効に戻っています。有効のままにしました: 起動する項目がシーケンスにありません",
                   L"'GuardChat' switched itself back on; left on: no item starts it"))
      << text::ToUtf8(log());
  EXPECT_TRUE(autostart::IsEnabled(registry.Read(at).bytes));

  // With the item: off again (an updater's doing, this time).
  t.Write(L"Startup.pmw", Item(L"chat", chat, L"", L"-min"));
  EXPECT_EQ(tvltest::Run(exe), 0u);
  EXPECT_TRUE(says(L"「GuardChat」が自分で有効に戻っていたため、再び無効にしました",
                   L"'GuardChat' switched itself back on; switched off again"))
      << text::ToUtf8(log());
  const std::string off = registry.Read(at).bytes;
  EXPECT_FALSE(autostart::IsEnabled(off));

  // A backup holds the record open: readable, not replaceable. No value changes.
  {
    win::FileHandle held(CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const auto [said, code] = Restore(wizardExe);
    EXPECT_NE(said.find(L"記録ファイルを更新できないため、何も有効に戻していません"), std::wstring::npos)
        << text::ToUtf8(said);
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(registry.Read(at).bytes, off);
  }
  EXPECT_EQ(Restore(wizardExe).second, 0u);
  EXPECT_EQ(registry.Read(at).bytes, before);

  Set({run.root, run.view, run.name, L""});
  registry.Delete(at);
  DeleteFileW(record.c_str());
  DeleteFileW(seen.c_str());
}

}  // namespace
