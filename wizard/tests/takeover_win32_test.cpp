// The wizard taking over every start-up entry, run as the user runs it: Run
// values in both registry views and shortcuts in both Startup folders are
// seeded, the program is walked through its pages (the machine's entries
// chosen, a sequence file of the user's own), and the sequence file,
// "Tarvoline.lnk", the approval values and the record are checked; a second
// run must add nothing; then "/restore" must bring every approval value back
// and refuse a forged record. Tarvoline's guard then leaves on an entry the
// user switched back on for an item removed in the editor, switches it off
// again once an item starts it, and "/restore" (refused while the record is
// held) still returns it to its state before the take-over. The tests run in a Wine prefix of its own (see
// CMakeLists.txt) and removes what it seeded.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/fileio.h"
#include "common/path_rules.h"
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

// The items of a sequence file, each as its three records.
std::vector<std::string> Items(const std::string& bytes) {
  std::vector<std::string> items;
  size_t start = 0, ends = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\x01' && ++ends == 3) {
      items.push_back(bytes.substr(start, i + 1 - start));
      start = i + 1;
      ends = 0;
    }
  std::sort(items.begin(), items.end());
  return items;
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

reg::Address Approval(approval::Place place, const std::wstring& name) { return approval::AddressOf(place, name); }

TEST(TakeOverWin32, TakesEveryEntrySwitchesTheOriginalsOffAndRestoresThem) {
  using approval::Place;
  TempFolder t;
  const std::wstring T = t.path();
  auto stub = [&](const std::wstring& path) { return t.Write(path, "MZ"); };
  const std::wstring userApp = stub(L"User App\\userapp.exe"), machineApp = stub(L"Machine App\\machine.exe");
  const std::wstring plain = stub(L"plain.exe"), tray = stub(L"tray.exe"), shared = stub(L"shared.exe"), odd = stub(L"odd.exe");
  // A folder name and an argument the Japanese code page cannot hold: U+00E9
  // would become the look-alike "e".
  const std::wstring cafe = stub(L"Caf\u00E9\\cafe.exe");
  const std::wstring own = t / L"program", exe = own + L"\\TVLpreparer.exe";
  stub(L"program\\Tarvoline.exe");
  ASSERT_TRUE(CopyFileW((tvltest::ProgramFolder() + L"\\TVLpreparer.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring x86 = special_folders::Path(CSIDL_PROGRAM_FILESX86);
  ASSERT_FALSE(x86.empty()) << "needs a 64-bit prefix";
  const std::wstring tool32 = stub(x86 + L"\\TVLTest32\\tool32.exe");

  const std::wstring startup = special_folders::Path(CSIDL_STARTUP);
  const std::wstring common = special_folders::Path(CSIDL_COMMON_STARTUP);
  for (const std::wstring& folder : {startup, common}) {
    ASSERT_FALSE(folder.empty());
    std::filesystem::create_directories(std::filesystem::path(folder));
  }
  const std::wstring record = special_folders::Path(CSIDL_LOCAL_APPDATA) + L"\\Tarvoline\\SwitchedOff.txt";
  DeleteFileW(record.c_str());

  // Nine Run values (two with names made to break the records), two
  // shortcuts of the user's and one of all users.
  const std::wstring evil = L"Evil\x01Name", forged = L"x\x01\x01" L"File=C:\\evil.exe";
  RunValue runs[] = {
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"UserApp", L"\"" + userApp + L"\" /min"},
      {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"MachineApp", machineApp + L" --tray"},
      {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"Tool32", L"\"%ProgramFiles(x86)%\\TVLTest32\\tool32.exe\" -q", REG_EXPAND_SZ},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"WasOff", userApp},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"Own", L"C:\\Tools\\Tarvoline.exe"},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, evil.c_str(), odd + L" -e"},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, forged.c_str(), L"\"" + odd + L"\" -x"},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"Cafe", L"\"" + cafe + L"\""},
      {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"CafeArgs", L"\"" + plain + L"\" --menu=caf\u00E9"}};
  for (const RunValue& v : runs) Set(v);
  const std::string wasOff("\x03\x00\x00\x00\x10\x20\x30\x40\x50\x60\x70\x01", 12);
  reg::Registry& registry = reg::RealRegistry();
  ASSERT_EQ(registry.WriteBinary(Approval(Place::UserRun, L"WasOff"), wasOff), reg::Status::Ok);
  ASSERT_TRUE(tvltest::MakeShortcut(startup + L"\\Plain.lnk", {plain, T, SW_SHOWNORMAL, L"", L""}));
  ASSERT_TRUE(tvltest::MakeShortcut(startup + L"\\Tray.lnk", {tray, T, SW_SHOWNORMAL, L"/background", L""}));
  ASSERT_TRUE(tvltest::MakeShortcut(common + L"\\Shared.lnk", {shared, T, SW_SHOWNORMAL, L"", L""}));

  std::vector<reg::Address> taken{
      Approval(Place::UserRun, L"UserApp"),       Approval(Place::MachineRun64, L"MachineApp"),
      Approval(Place::MachineRun32, L"Tool32"),   Approval(Place::UserFolder, L"Plain.lnk"),
      Approval(Place::UserFolder, L"Tray.lnk"),   Approval(Place::CommonFolder, L"Shared.lnk"),
      Approval(Place::UserRun, evil),             Approval(Place::UserRun, forged)};
  for (const reg::Address& a : taken) registry.Delete(a);
  for (const wchar_t* name : {L"Cafe", L"CafeArgs"}) registry.Delete(Approval(Place::UserRun, name));
  // Tarvoline switched off once in the start-up manager: switched back on.
  const reg::Address ownApproval = Approval(Place::UserFolder, L"Tarvoline.lnk");
  ASSERT_EQ(registry.WriteBinary(ownApproval, wasOff), reg::Status::Ok);
  const std::wstring sequenceFile = T + L"\\My Items.pmw";

  // The emulator says Windows 7 unless told otherwise; the program under test
  // runs as on Windows 10, where the start-up approval data exists.
  constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\TVLpreparer.exe";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, L"win10", sizeof L"win10"), ERROR_SUCCESS);

  // The folder outside the code page is taken by its short form where the
  // system gives one that fits, else left out; the argument never fits.
  wchar_t shortBuf[MAX_PATH] = L"";
  GetShortPathNameW(cafe.c_str(), shortBuf, MAX_PATH);
  const std::wstring cafeShort = shortBuf;
  const bool cafeFits = !cafeShort.empty() && text::ToAnsiExact(cafeShort).has_value();
  if (cafeFits) taken.push_back(Approval(Place::UserRun, L"Cafe"));
  const size_t n = taken.size();
  // Walks the wizard: the machine's entries chosen, the user's own file.
  auto walk = [&] {
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
    HWND machine = GetDlgItem(GetDlgItem(host, win::IdOf(wizard::PageOf(1))), win::IdOf(wizard::Control::OptTakeMachine));
    EXPECT_TRUE(machine) << "the wizard may write the machine's approval data here";
    SendMessageW(machine, BM_CLICK, 0, 0);
    EXPECT_TRUE(press(2));
    // The caption from the version resource; the default file beside the program.
    EXPECT_EQ(tvltest::TextOf(window), L"TVLpreparer Ver.1.1.0");
    HWND file = GetDlgItem(GetDlgItem(host, win::IdOf(wizard::PageOf(2))), win::IdOf(wizard::Control::SequenceFile));
    EXPECT_TRUE(text::EqualsNoCase(tvltest::TextOf(file), own + L"\\StartUp.pmw")) << text::ToUtf8(tvltest::TextOf(file));
    SetWindowTextW(file, sequenceFile.c_str());
    next();  // generation names what it left out
    const std::wstring leftOut = tvltest::AnswerMessage(wizard.pi.dwThreadId);
    EXPECT_NE(leftOut.find(L"\r\nCafeArgs"), std::wstring::npos) << text::ToUtf8(leftOut);
    EXPECT_EQ(leftOut.find(L"\r\nCafe\r\n") == std::wstring::npos && !leftOut.ends_with(L"\r\nCafe"), cafeFits);
    EXPECT_TRUE(shows(3));
    EXPECT_TRUE(press(4));
    press(5);
    const std::wstring closing = tvltest::AnswerMessage(wizard.pi.dwThreadId);
    EXPECT_EQ(wizard.Wait(), 0u);
    return closing;
  };
  const std::wstring closing = walk();
  EXPECT_NE(closing.find(std::to_wstring(n) + L" 件を無効にしました"), std::wstring::npos) << text::ToUtf8(closing);
  EXPECT_NE(closing.find(L"Tarvoline.lnkを有効に戻しました"), std::wstring::npos);

  // Tarvoline's own shortcut reads the chosen file and is switched on again.
  std::optional<ShortcutInfo> link = RealShortcutStore().Read(startup + L"\\Tarvoline.lnk");
  ASSERT_TRUE(link);
  EXPECT_TRUE(text::EqualsNoCase(link->TargetPath, own + L"\\Tarvoline.exe")) << text::ToUtf8(link->TargetPath);
  EXPECT_EQ(link->Arguments, L"\"" + sequenceFile + L"\"");
  EXPECT_EQ(registry.Read(ownApproval).bytes, std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));

  // Exactly n items, each with what it passes to its program: records in
  // threes, the odd names with blanks for U+0001, no key line they forged,
  // and no look-alike of what the code page cannot hold.
  const std::string sequence = TempFolder::Read(sequenceFile);
  EXPECT_EQ(std::count(sequence.begin(), sequence.end(), '\x01'), 3 * static_cast<long>(n));
  EXPECT_EQ(Items(sequence),
            Items(Item(L"Evil Name", odd, T, L"-e") + Item(L"x  File=C:\\evil.exe", odd, T, L"-x") +
                  Item(L"UserApp", userApp, T + L"\\User App", L"/min") +
                  Item(L"MachineApp", machineApp, T + L"\\Machine App", L"--tray") +
                  Item(L"Tool32", tool32, x86 + L"\\TVLTest32", L"-q") + Item(L"plain", plain, T, L"") +
                  Item(L"tray", tray, T, L"/background") + Item(L"shared", shared, T, L"") +
                  (cafeFits ? Item(L"Cafe", cafeShort, paths::Parent(cafeShort), L"") : std::string())));

  // Those n switched off as the start-up manager does; the one off before and
  // those left out untouched.
  for (const reg::Address& a : taken) {
    const std::string bytes = registry.Read(a).bytes;
    EXPECT_TRUE(bytes.size() == 12 && bytes.starts_with(std::string("\x03\0\0\0", 4))) << text::ToUtf8(a.value);
  }
  EXPECT_EQ(registry.Read(Approval(Place::UserRun, L"WasOff")).bytes, wasOff);
  for (const wchar_t* name : {L"Own", L"CafeArgs", cafeFits ? L"Own" : L"Cafe"})
    EXPECT_EQ(registry.Read(Approval(Place::UserRun, name)).status, reg::Status::Missing) << text::ToUtf8(name);

  // The undo command: no wizard, one message, every value as it was.
  const auto [report, restored] = Restore(exe);
  EXPECT_NE(report.find(std::to_wstring(n) + L" 件の登録を有効に戻しました。"), std::wstring::npos) << text::ToUtf8(report);
  EXPECT_EQ(restored, 0u);
  for (const reg::Address& a : taken) EXPECT_EQ(registry.Read(a).status, reg::Status::Missing) << text::ToUtf8(a.value);
  EXPECT_EQ(registry.Read(Approval(Place::UserRun, L"WasOff")).bytes, wasOff);
  EXPECT_EQ(wizard::switchoff::ParseRecord(TempFolder::Read(record)), std::vector<wizard::switchoff::Change>{});

  // A second run, the originals on again: nothing is added, it says so, and
  // the originals go off again, since the file starts them.
  const std::wstring again = walk();
  EXPECT_NE(again.find(std::to_wstring(n) + L" 件は既にTarvolineファイルの項目にある"), std::wstring::npos)
      << text::ToUtf8(again);
  EXPECT_NE(again.find(std::to_wstring(n) + L" 件を無効にしました"), std::wstring::npos);
  EXPECT_EQ(TempFolder::Read(sequenceFile), sequence);
  EXPECT_EQ(Restore(exe).second, 0u);

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
  for (const wchar_t* name : {L"WasOff", L"Cafe", L"CafeArgs"}) registry.Delete(Approval(Place::UserRun, name));
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
  const std::wstring folder = special_folders::Path(CSIDL_LOCAL_APPDATA) + L"\\Tarvoline";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring record = folder + L"\\SwitchedOff.txt", seen = folder + L"\\SeenEntries.txt";
  DeleteFileW(record.c_str());
  DeleteFileW(seen.c_str());

  const RunValue run{HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"GuardChat", L"\"" + chat + L"\" -min"};
  Set(run);
  reg::Registry& registry = reg::RealRegistry();
  const reg::Address at = Approval(approval::Place::UserRun, L"GuardChat");
  const std::string before("\x02\0\0\0\x11\x22\x33\x44\x55\x66\x77\x01", 12);
  ASSERT_EQ(registry.WriteBinary(at, before), reg::Status::Ok);
  ASSERT_EQ(wizard::switchoff::SwitchOff({at}, 0x01D0000000000000ull, record, registry, RealFileSystem()).outcome,
            wizard::switchoff::Outcome::SwitchedOff);
  auto switchOn = [&] { return registry.WriteBinary(at, approval::SwitchedOnBytes(registry.Read(at).bytes)); };
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
  EXPECT_TRUE(approval::IsEnabled(registry.Read(at).bytes));

  // With the item: off again (an updater's doing, this time).
  t.Write(L"Startup.pmw", Item(L"chat", chat, L"", L"-min"));
  EXPECT_EQ(tvltest::Run(exe), 0u);
  EXPECT_TRUE(says(L"「GuardChat」が自分で有効に戻っていたため、再び無効にしました",
                   L"'GuardChat' switched itself back on; switched off again"))
      << text::ToUtf8(log());
  const std::string off = registry.Read(at).bytes;
  EXPECT_FALSE(approval::IsEnabled(off));

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
