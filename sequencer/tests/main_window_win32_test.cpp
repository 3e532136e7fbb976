// The main window: what it lists and shows, how it stretches, what each tick
// marks. (Leaks over many runs and a huge list: the soak in
// sequencer/bench/main_window_soak_win32.cpp.)
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "sequence/sequence_file.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/plain_launch_system.h"
#include "sequencer/tests/window_rig.h"

namespace {

using sequencer::MainWindow;
using sequencer::MainWindowArgs;
using sequence::SequenceItem;

// Starts succeed; documents go to the fake shell.
struct Seams {
  fake::Processes processes;
  fake::Shell shell;
  PlainLaunchSystem launch{processes, shell, RealFileSystem()};
};

// The window with a meter whose reading the test sets.
struct Window : Seams {
  explicit Window(std::vector<SequenceItem> list, LaunchSettings settings = {}) : items(std::move(list)) {
    MainWindowArgs args{.items = items, .settings = settings,
                        .createMeter = [this] { return std::make_unique<MeterHandle>(*this); },
                        .endProgram = [this] { ++ends; }, .quitOnClose = false, .launcher = launch};
    window = std::make_unique<MainWindow>(std::move(args));
    EXPECT_TRUE(window->Create(SW_SHOWNOACTIVATE));
    Pump();
  }
  struct MeterHandle : CpuMeter {
    explicit MeterHandle(Window& w) : w(w) {}
    double GetValue() override { return w.usage; }
    Window& w;
  };
  RECT Rect(HWND child) const {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  int Icon(int index) const { return ::Icon(*window, index); }
  int Pos(HWND bar) const { return static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)); }

  std::vector<SequenceItem> items;
  double usage = 0;
  int ends = 0;
  std::unique_ptr<MainWindow> window;
};

SequenceItem Item(std::wstring title, std::wstring file) {
  return SequenceItem{std::move(title), std::move(file), L"", L"", 1};
}

TEST(MainWindow, ListsTheItemsMarksEachTickAndTheLastItemEndsTheProgram) {
  SequenceItem failing = Item(L"x.y.z", L"C:\\T\\fail.exe");
  failing.show = -1;  // no window style: the start fails
  Window w({Item(L"メモ帳", L"C:\\T\\clock.exe"), failing, Item(L"Dir\\name.txt", L"z.exe")},
           {30, 10000, 0, false, true, /*settleWait=*/false});
  HWND lv = w.window->itemList();
  ASSERT_EQ(ListView_GetItemCount(lv), 3);
  const std::wstring texts[] = {L"メモ帳", L"x.y", L"name"};
  for (int i = 0; i < 3; ++i) {
    wchar_t buf[64] = {};
    ListView_GetItemText(lv, i, 0, buf, 64);
    EXPECT_EQ(buf, texts[i]);
    EXPECT_EQ(w.Icon(i), itemicon::kWaiting);
  }
  PBRANGE range{};
  ::SendMessageW(w.window->progressBar(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iHigh, 3);
  EXPECT_EQ(w.Pos(w.window->progressBar()), 0);
  EXPECT_EQ(::GetWindowTextLengthW(w.window->hwnd()), 0);
  EXPECT_TRUE(::GetWindowLongPtrW(w.window->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  w.usage = 12.4;
  w.window->OnTick();
  EXPECT_TRUE(ListView_GetCheckState(lv, 0));
  ListView_SetCheckState(lv, 1, TRUE);  // the user cannot mark an item
  EXPECT_FALSE(ListView_GetCheckState(lv, 1));
  EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 0);
  EXPECT_EQ(w.Icon(0), itemicon::kStarted);
  EXPECT_EQ(w.Pos(w.window->progressBar()), 1);
  EXPECT_EQ(w.Pos(w.window->cpuBar()), 12);

  w.window->OnTick();
  EXPECT_EQ(w.Icon(1), itemicon::kFailed);
  w.usage = 250;  // beyond the bar: shown at its end (and too busy to start)
  w.window->OnTick();
  EXPECT_EQ(w.Pos(w.window->cpuBar()), 100);
  EXPECT_EQ(w.ends, 0);
  w.usage = 0;
  w.window->OnTick();
  EXPECT_EQ(w.Pos(w.window->progressBar()), 3);
  EXPECT_EQ(w.ends, 1);
}

TEST(MainWindow, ResizeStretchesTheListAndBarsAndSurvivesMinimising) {
  Window w({Item(L"a", L"a.exe")});
  RECT win{}, designed{};
  ::GetWindowRect(w.window->hwnd(), &win);
  ::GetClientRect(w.window->hwnd(), &designed);
  ::SetWindowPos(w.window->hwnd(), nullptr, 0, 0, win.right - win.left + 100, win.bottom - win.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(w.window->hwnd(), SW_MINIMIZE);
  ::ShowWindow(w.window->hwnd(), SW_RESTORE);
  Pump();
  // The sizes themselves are the layout's; the window must apply them.
  RECT client{}, list = w.Rect(w.window->itemList()), cpu = w.Rect(w.window->cpuBar());
  ::GetClientRect(w.window->hwnd(), &client);
  EXPECT_EQ(client.right, designed.right + 100);
  EXPECT_EQ(list.right, client.right);
  EXPECT_EQ(cpu.bottom, client.bottom);
  EXPECT_EQ(w.Rect(w.window->limitMark()).top, *sequencer::LineY(cpu.top, cpu.bottom - cpu.top, 30));
}

}  // namespace
