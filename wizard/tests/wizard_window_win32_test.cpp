// The wizard window driven through its controls, with message boxes, path
// dialogs, shell and shortcut reader replaced by fakes.
#include "common/ui_text.h"
#include "wizard/win32/wizard_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/win32/dpi.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"
#include "wizard/texts.h"
#include "wizard/win32/control_ids.h"

namespace {

using wizard::Control;
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
  HWND Find(Control c) { return window->FindControl(c); }
  std::wstring Text(Control c) { return tvltest::TextOf(Find(c)); }
  void SetText(Control c, const std::wstring& t) { SetWindowTextW(Find(c), t.c_str()); }
  void Click(Control c) {  // as the user can: only an enabled button
    ASSERT_TRUE(IsWindowEnabled(Find(c))) << static_cast<int>(c);
    SendMessageW(Find(c), BM_CLICK, 0, 0);
  }
  bool Checked(Control c) { return SendMessageW(Find(c), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void ExpectPage(int page, bool back, const wchar_t* next) {
    for (int i = 0; i < wizard::PageFlow::kPageCount; ++i)
      EXPECT_EQ(IsWindowVisible(Find(wizard::PageOf(i))) != FALSE, i == page) << i;
    EXPECT_EQ(IsWindowEnabled(Find(Control::Back)) != FALSE, back);
    EXPECT_EQ(Text(Control::Next), next);
  }
};

TEST_F(Wizard, WalksThroughThePagesGeneratesOnceAndFinishes) {
  EXPECT_EQ(Text(Control::StartupFolder), links);
  EXPECT_EQ(Text(Control::SequenceFile), own + L"\\StartUp.pmw");
  EXPECT_TRUE(Checked(Control::MakeShortcut) && !Checked(Control::OpenFile) && !Checked(Control::CheckFile));
  EXPECT_EQ(Find(Control::TakeRunEntries), nullptr);  // no approval data: the folder alone, as before

  shortcuts.links[temp.Write(L"links\\a.lnk", "")] = {L"C:\\Tools\\a.exe", L"C:\\Work", 7};
  const std::wstring seq = temp / L"out.pmw";
  ExpectPage(0, false, L"次へ(&N)");
  Click(Control::Next), Click(Control::Next), ExpectPage(2, true, L"次へ(&N)");

  SetText(Control::SequenceFile, links);  // not writable: stay, boxes as typed
  Click(Control::Next), ExpectPage(2, true, L"次へ(&N)");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].second, MessageIcon::Critical);
  EXPECT_EQ(Text(Control::SequenceFile), links);

  SetText(Control::SequenceFile, seq);
  Click(Control::Next), ExpectPage(3, false, L"次へ(&N)");
  // Without the browser control: the shipped page as text, in the user's language.
  EXPECT_TRUE(Text(Control::Info).starts_with(L"Tarvoline\r\n\u3000Tarvolineは")) << text::ToUtf8(Text(Control::Info));
  const std::string record = text::ToAnsi(
      L"2001/05/12：a\x01\x01" L"File=C:\\Tools\\a.exe\r\nCurrent=C:\\Work\r\nOption=\r\nSize = 6\r\nNoUse = 0\x01");
  EXPECT_EQ(TempFolder::Read(seq), record);
  Click(Control::Next), ExpectPage(4, false, L"完了(&F)");

  for (Control c : {Control::MakeShortcut, Control::OpenFile, Control::CheckFile, Control::Next}) Click(c);
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
      registry.denied.push_back({reg::Root::LocalMachine, reg::View::Bits64, autostart::kKeyBase + std::wstring(key), L""});
    s.approvalData = true;
    s.listStartupEntries = [this] { return listed; };
    s.recordFile = temp / L"SwitchedOff.txt";
  }
};

TEST_F(TakeOverWizard, SwitchingOffNeedsEntriesToTakeAndTheMachinesAreLeftAlone) {
  ASSERT_NE(Find(Control::TakeRunEntries), nullptr);
  EXPECT_TRUE(Checked(Control::TakeRunEntries) && Checked(Control::SwitchOffOriginals));
  EXPECT_EQ(Find(Control::TakeMachineEntries), nullptr);  // no rights for the machine's approval data
  Click(Control::Next);
  SendMessageW(Find(Control::TakeRunEntries), BM_CLICK, 0, 0);  // off: the user's Startup folder still counts
  EXPECT_TRUE(IsWindowEnabled(Find(Control::SwitchOffOriginals)));
  SetText(Control::StartupFolder, temp.path());
  EXPECT_FALSE(IsWindowEnabled(Find(Control::SwitchOffOriginals)));
  SetText(Control::StartupFolder, links + L"\\");
  EXPECT_TRUE(IsWindowEnabled(Find(Control::SwitchOffOriginals)));
}

TEST_F(Wizard, EnterIsNextEscapeIsCancelAndCancelWritesNothing) {
  auto key = [&](WPARAM vk) {
    MSG msg{GetFocus(), WM_KEYDOWN, vk, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(window->hwnd(), &msg));
  };
  key(VK_RETURN);
  SetFocus(Find(Control::StartupFolder));
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
  Click(Control::Next);
  // (Leaving the wizard altogether, to no control, is no validation.)
  const std::tuple<const wchar_t*, HWND, const wchar_t*> cases[] = {
      {L"C:\\Tools\\", Find(Control::BrowseFolder), L"C:\\Tools"}, {L"C:\\", Find(Control::BrowseFolder), L"C:"}, {L"C:\\Tools", Find(Control::BrowseFolder), L"C:\\Tools"},
      {L"C:\\T\\\\", Find(Control::BrowseFolder), L"C:\\T\\"}, {L"C:\\Tools\\", nullptr, L"C:\\Tools\\"}};
  for (auto [typed, next, validated] : cases) {
    SetFocus(Find(Control::StartupFolder));
    SetText(Control::StartupFolder, typed);
    SetFocus(next);
    EXPECT_EQ(Text(Control::StartupFolder), validated) << next;
  }
}

TEST_F(Wizard, BrowseButtonsFillTheBoxesOnlyWithAChoice) {
  Click(Control::Next);
  SetText(Control::StartupFolder, L"C:\\Before");
  Click(Control::BrowseFolder);  // cancelled
  EXPECT_EQ(dialogs.asked + L"|" + Text(Control::StartupFolder),
            L"C:\\Before|ショートカットの入ったフォルダを指定します。|C:\\Before");
  dialogs.folder = L"D:\\日本語" + std::wstring(3, L'\0');
  Click(Control::BrowseFolder);
  EXPECT_EQ(Text(Control::StartupFolder), L"D:\\日本語");
  Click(Control::Next);
  SetText(Control::SequenceFile, L"C:\\a.pmw");
  Click(Control::BrowseFile);  // cancelled
  EXPECT_EQ(dialogs.asked + L"|" + Text(Control::SequenceFile), L"C:\\a.pmw|C:\\a.pmw");
  dialogs.file = L"E:\\新しい.pmw";
  Click(Control::BrowseFile);
  EXPECT_EQ(Text(Control::SequenceFile), L"E:\\新しい.pmw");
}

// Moved to a monitor of another DPI, the window keeps its client area in
// design units, with the frame measured at that DPI, not at the system's;
// its controls, those of the pages too, and their fonts scale alike.
// (The emulator draws every window at the system DPI, so the frame is
// compared with what the sizing call gives for the new DPI.)
TEST_F(Wizard, ScalesItsFrameControlsAndFontsToTheDpiItIsGiven) {
  const int before = static_cast<int>(win::WindowDpi(window->hwnd()));
  RECT client{}, r{};
  GetClientRect(window->hwnd(), &client);
  const auto placed = [&](Control c) {
    RECT p{};
    GetWindowRect(Find(c), &p);
    MapWindowPoints(nullptr, GetParent(Find(c)), reinterpret_cast<POINT*>(&p), 2);
    return p;
  };
  const auto fontHeight = [&](Control c) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Find(c), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return std::abs(lf.lfHeight);
  };
  const Control shown[] = {Control::Title, Control::Next, Control::PageHost, Control::StartupFolder};
  std::vector<RECT> was;
  for (Control c : shown) was.push_back(placed(c));
  const int bodyWas = fontHeight(Control::Next), titleWas = fontHeight(Control::Title);

  GetWindowRect(window->hwnd(), &r);
  SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
  const auto scaled = [&](long v) { return MulDiv(static_cast<int>(v), 144, before); };
  GetWindowRect(window->hwnd(), &r);
  const SIZE outer = win::OuterSize(static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_STYLE)),
                                    static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_EXSTYLE)),
                                    scaled(client.right), scaled(client.bottom), 144);
  EXPECT_NEAR(r.right - r.left, outer.cx, 1);
  EXPECT_NEAR(r.bottom - r.top, outer.cy, 1);
  for (std::size_t i = 0; i < std::size(shown); ++i) {
    const RECT now = placed(shown[i]);
    EXPECT_NEAR(now.left, scaled(was[i].left), 1) << i;
    EXPECT_NEAR(now.top, scaled(was[i].top), 1) << i;
    EXPECT_NEAR(now.right, scaled(was[i].right), 1) << i;
    EXPECT_NEAR(now.bottom, scaled(was[i].bottom), 1) << i;
  }
  EXPECT_NEAR(fontHeight(Control::Next), scaled(bodyWas), 1);
  EXPECT_NEAR(fontHeight(Control::Title), scaled(titleWas), 1);
  EXPECT_GT(fontHeight(Control::Title), fontHeight(Control::Next));
}

// The wizard's words come from the string tables in the user's language
// (the test runs in both).
TEST_F(Wizard, SpeaksTheUserLanguage) {
  const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  EXPECT_EQ(Text(Control::Title), japanese ? L"Tarvoline 設定 ウィザードへようこそ" : L"Welcome to the Tarvoline Setup Wizard");
}

}  // namespace
