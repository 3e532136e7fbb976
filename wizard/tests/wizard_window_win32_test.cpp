// The wizard window driven through its controls, with message boxes, path
// dialogs, shell and shortcut reader replaced by fakes.
#include "common/ui_text.h"
#include "win32/wizard_window.h"

#include <gtest/gtest.h>

#include "common/startup_approval.h"
#include "common/text.h"
#include "common/win32/dpi.h"
#include "fakes.h"
#include "program_win32.h"
#include "temp_folder.h"
#include "texts.h"
#include "win32/control_ids.h"

namespace {

namespace ids = wizard::ids;
using ui::MessageIcon;

struct Dialogs : wizard::PathDialogs {
  std::optional<std::wstring> folder, file;
  std::wstring asked;
  std::optional<std::wstring> ChooseFolder(HWND, const std::wstring& initial, const std::wstring& title) override {
    return asked = initial + L"|" + title, folder;
  }
  std::optional<std::wstring> ChooseSequenceFile(HWND, const std::wstring& initial) override {
    return asked = initial, file;
  }
};

class Wizard : public testing::Test {
 protected:
  TempFolder temp;
  std::wstring links = temp / L"links", own = temp / L"program";
  fake::Messages messages;
  fake::Shell shell;
  fake::Shortcuts shortcuts;
  fake::Clock clock;
  fake::Processes processes;
  fake::Registry registry;
  Dialogs dialogs;
  int ended = 0;
  std::unique_ptr<wizard::WizardWindow> window;

  void SetUp() override {
    CreateDirectoryW(links.c_str(), nullptr);
    CreateDirectoryW(own.c_str(), nullptr);
    wizard::WizardServices services{messages, dialogs, RealFileSystem(), shortcuts, shell, clock, processes, registry,
                                     [this] { return links; }, own, L"TVLpreparer Ver.1.1.0", [this] { ++ended; },
                                     false};
    Configure(services);
    window = std::make_unique<wizard::WizardWindow>(std::move(services));
    ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  }
  virtual void Configure(wizard::WizardServices&) {}
  HWND Control(int id) { return window->FindControl(id); }
  std::wstring Text(int id) { return tvltest::TextOf(Control(id)); }
  void SetText(int id, const std::wstring& t) { SetWindowTextW(Control(id), t.c_str()); }
  void Click(int id) {  // as the user can: only an enabled button
    ASSERT_TRUE(IsWindowEnabled(Control(id))) << id;
    SendMessageW(Control(id), BM_CLICK, 0, 0);
  }
  bool Checked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void ExpectPage(int page, bool back, const wchar_t* next) {
    for (int i = 0; i < wizard::PageFlow::kPageCount; ++i)
      EXPECT_EQ(IsWindowVisible(Control(ids::PageId(i))) != FALSE, i == page) << i;
    EXPECT_EQ(IsWindowEnabled(Control(ids::kBack)) != FALSE, back);
    EXPECT_EQ(Text(ids::kNext), next);
  }
};

TEST_F(Wizard, WalksThroughThePagesGeneratesOnceAndFinishes) {
  EXPECT_EQ(Text(ids::kStartupFolder), links);
  EXPECT_EQ(Text(ids::kSequenceFile), own + L"\\StartUp.pmw");
  EXPECT_TRUE(Checked(ids::kMakeShortcut) && !Checked(ids::kOpenFile) && !Checked(ids::kCheckFile));
  EXPECT_EQ(Control(ids::kTakeRunEntries), nullptr);  // no approval data: the folder alone, as before

  shortcuts.links[temp.Write(L"links\\a.lnk", "")] = {L"C:\\Tools\\a.exe", L"C:\\Work", 7};
  const std::wstring seq = temp / L"out.pmw";
  ExpectPage(0, false, L"次へ(&N)");
  Click(ids::kNext), Click(ids::kNext), ExpectPage(2, true, L"次へ(&N)");

  SetText(ids::kSequenceFile, links);  // not writable: stay, boxes as typed
  Click(ids::kNext), ExpectPage(2, true, L"次へ(&N)");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].second, MessageIcon::Critical);
  EXPECT_EQ(Text(ids::kSequenceFile), links);

  SetText(ids::kSequenceFile, seq);
  Click(ids::kNext), ExpectPage(3, false, L"次へ(&N)");
  // Without the browser control: the shipped page as text, in the user's language.
  EXPECT_TRUE(Text(ids::kInfo).starts_with(L"Tarvoline\r\n\u3000Tarvolineは")) << text::ToUtf8(Text(ids::kInfo));
  const std::string record = text::ToAnsi(
      L"2001/05/12：a\x01\x01" L"File=C:\\Tools\\a.exe\r\nCurrent=C:\\Work\r\nOption=\r\nSize = 6\r\nNoUse = 0\x01");
  EXPECT_EQ(TempFolder::Read(seq), record);
  Click(ids::kNext), ExpectPage(4, false, L"完了(&F)");

  for (int id : {ids::kMakeShortcut, ids::kOpenFile, ids::kCheckFile, ids::kNext}) Click(id);
  EXPECT_EQ(shell.opened, (std::vector<std::wstring>{links + L"\\", seq}));
  EXPECT_EQ(processes.started, std::vector<std::wstring>{L"\"" + own + L"\\Tarvoline.exe\" /check \"" + seq + L"\""});
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1], std::make_pair(std::wstring(ui::Text(wizard::texts::kClosing)), MessageIcon::Information));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(window->hwnd(), nullptr);
}

// Where the system keeps start-up approval data: the folder page's two
// choices; the machine's entries only where their approval keys are writable.
class TakeOverWizard : public Wizard {
 protected:
  std::vector<autostart::Entry> listed;
  void Configure(wizard::WizardServices& s) override {
    for (const wchar_t* key : {L"Run", L"Run32", L"StartupFolder"})
      registry.denied.push_back({reg::Root::LocalMachine, reg::View::Bits64, approval::kKeyBase + std::wstring(key), L""});
    s.approvalData = true;
    s.listStartupEntries = [this] { return listed; };
    s.recordFile = temp / L"SwitchedOff.txt";
  }
};

TEST_F(TakeOverWizard, SwitchingOffNeedsEntriesToTakeAndTheMachinesAreLeftAlone) {
  ASSERT_NE(Control(ids::kTakeRunEntries), nullptr);
  EXPECT_TRUE(Checked(ids::kTakeRunEntries) && Checked(ids::kSwitchOffOriginals));
  EXPECT_EQ(Control(ids::kTakeMachineEntries), nullptr);  // no rights for the machine's approval data
  Click(ids::kNext);
  SendMessageW(Control(ids::kTakeRunEntries), BM_CLICK, 0, 0);  // off: the user's Startup folder still counts
  EXPECT_TRUE(IsWindowEnabled(Control(ids::kSwitchOffOriginals)));
  SetText(ids::kStartupFolder, temp.path());
  EXPECT_FALSE(IsWindowEnabled(Control(ids::kSwitchOffOriginals)));
  SetText(ids::kStartupFolder, links + L"\\");
  EXPECT_TRUE(IsWindowEnabled(Control(ids::kSwitchOffOriginals)));
  SendMessageW(Control(ids::kTakeRunEntries), BM_CLICK, 0, 0);

  using autostart::Source;
  for (auto [source, name] : {std::pair{Source::UserRun, L"Chat"}, std::pair{Source::MachineRun64, L"Vendor"}})
    listed.push_back({source, name, L"C:\\Chat\\chat.exe", L"C:\\Chat\\chat.exe", L"--minimized", L"C:\\Chat", 1, true, true,
                      true, approval::AddressOf(source, name)});
  Click(ids::kNext);
  Click(ids::kNext), ExpectPage(3, false, L"次へ(&N)");
  // The machine's Vendor is every user's: not taken. The fake store makes no
  // Tarvoline.lnk, so the originals stay on.
  const std::string written = TempFolder::Read(own + L"\\StartUp.pmw");
  EXPECT_TRUE(written.find("Chat\x01") != std::string::npos && written.find("Vendor") == std::string::npos) << written;
  Click(ids::kNext), Click(ids::kNext);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(registry.writes, 0);
}

TEST_F(Wizard, EnterIsNextEscapeIsCancelAndCancelWritesNothing) {
  auto key = [&](WPARAM vk) {
    MSG msg{GetFocus(), WM_KEYDOWN, vk, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(window->hwnd(), &msg));
  };
  key(VK_RETURN);
  SetFocus(Control(ids::kStartupFolder));
  key(VK_RETURN);
  ExpectPage(2, true, L"次へ(&N)");
  key(VK_ESCAPE);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], std::make_pair(std::wstring(L"このウイザードはいつでもスタートメニューから呼び出せます。"),
                                              MessageIcon::Information));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(GetFileAttributesW((own + L"\\StartUp.pmw").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Wizard, FolderBoxLosesOneTrailingBackslashWhenTheFocusMovesOn) {
  Click(ids::kNext);
  // (Leaving the wizard altogether, to no control, is no validation.)
  const std::tuple<const wchar_t*, HWND, const wchar_t*> cases[] = {
      {L"C:\\Tools\\", Control(ids::kBrowseFolder), L"C:\\Tools"}, {L"C:\\", Control(ids::kBrowseFolder), L"C:"}, {L"C:\\Tools", Control(ids::kBrowseFolder), L"C:\\Tools"},
      {L"C:\\T\\\\", Control(ids::kBrowseFolder), L"C:\\T\\"}, {L"C:\\Tools\\", nullptr, L"C:\\Tools\\"}};
  for (auto [typed, next, validated] : cases) {
    SetFocus(Control(ids::kStartupFolder));
    SetText(ids::kStartupFolder, typed);
    SetFocus(next);
    EXPECT_EQ(Text(ids::kStartupFolder), validated) << next;
  }
}

TEST_F(Wizard, BrowseButtonsFillTheBoxesOnlyWithAChoice) {
  Click(ids::kNext);
  SetText(ids::kStartupFolder, L"C:\\Before");
  Click(ids::kBrowseFolder);  // cancelled
  EXPECT_EQ(dialogs.asked + L"|" + Text(ids::kStartupFolder),
            L"C:\\Before|ショートカットの入ったフォルダを指定します。|C:\\Before");
  dialogs.folder = L"D:\\日本語" + std::wstring(3, L'\0');
  Click(ids::kBrowseFolder);
  EXPECT_EQ(Text(ids::kStartupFolder), L"D:\\日本語");
  Click(ids::kNext);
  SetText(ids::kSequenceFile, L"C:\\a.pmw");
  Click(ids::kBrowseFile);  // cancelled
  EXPECT_EQ(dialogs.asked + L"|" + Text(ids::kSequenceFile), L"C:\\a.pmw|C:\\a.pmw");
  dialogs.file = L"E:\\新しい.pmw";
  Click(ids::kBrowseFile);
  EXPECT_EQ(Text(ids::kSequenceFile), L"E:\\新しい.pmw");
}

// Moved to a monitor of another DPI, the window keeps its client area in
// design units, with the frame measured at that DPI, not at the system's.
// (The emulator draws every window at the system DPI, so the frame is
// compared with what the sizing call gives for the new DPI.)
TEST_F(Wizard, SizesItsFrameForTheDpiItIsGiven) {
  RECT r;
  GetWindowRect(window->hwnd(), &r);
  SendMessageW(window->hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
  GetWindowRect(window->hwnd(), &r);
  const SIZE outer = win::OuterSize(static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_STYLE)),
                                    static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_EXSTYLE)), 768, 530, 144);
  EXPECT_EQ(r.right - r.left, outer.cx);
  EXPECT_EQ(r.bottom - r.top, outer.cy);
}

// The wizard's words come from the string tables in the user's language
// (the test runs in both).
TEST_F(Wizard, SpeaksTheUserLanguage) {
  const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  EXPECT_EQ(Text(ids::kTitle), japanese ? L"Tarvoline 設定 ウィザードへようこそ" : L"Welcome to the Tarvoline Setup Wizard");
}

}  // namespace
