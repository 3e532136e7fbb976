#include <gtest/gtest.h>

#include "window_rig.h"

namespace {

using sequence::SequenceItem;

// The window with a meter whose reading the test sets, and processes that
// fail for any program named "fail".
struct Window : Processes {
  explicit Window(std::vector<SequenceItem> list, LaunchSettings settings = {})
      : items(std::move(list)) {
    form = std::make_unique<frmMain>(
        FrmMainArgs{.items = items,
                    .settings = settings,
                    .createMeter = [this](std::unique_ptr<CpuMeter>& m) { m.reset(new MeterHandle(*this)); },
                    .endProgram = [this] { ++ends; },
                    .quitOnClose = false,
                    .launcher = plain});
    EXPECT_TRUE(form->Create(SW_SHOWNOACTIVATE));
    Pump();
  }
  // The meter the window owns: counts its own release.
  struct MeterHandle : CpuMeter {
    explicit MeterHandle(Window& w) : w(w) {}
    ~MeterHandle() override { ++w.released; }
    void AddCounter(const std::wstring&) override {}
    double GetValue() override { return w.usage; }
    Window& w;
  };
  bool Start(const std::wstring& line, int) override { return ++starts, line.find(L"fail") == std::wstring::npos; }
  bool SetCurrentDirectory(const std::wstring&) override { return true; }

  RECT Rect(HWND child) const {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, form->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  int Icon(int index) const { return ::Icon(*form, index); }
  int Pos(HWND bar) const { return static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)); }

  std::vector<SequenceItem> items;
  PlainLaunchSystem plain{*this, RealShell(), RealFileSystem()};
  double usage = 0;
  int ends = 0, starts = 0, released = 0;
  std::unique_ptr<frmMain> form;
};

SequenceItem Item(std::wstring title, std::wstring file, std::wstring key) {
  return SequenceItem{std::move(title), std::move(file), L"", L"", 1, std::move(key)};
}

TEST(frmMain, LoadListsTheItemsAndStartsTheTimer) {
  Window w({Item(L"メモ帳", L"a.exe", L"K0"), Item(L"x.y.z", L"b.exe", L"K1"), Item(L"Dir\\name.txt", L"c.exe", L"K2")},
           {});
  HWND lv = w.form->lvApp();
  ASSERT_EQ(ListView_GetItemCount(lv), 3);
  const std::wstring texts[] = {L"メモ帳", L"x.y", L"name"};
  for (int i = 0; i < 3; ++i) {
    wchar_t buf[64] = {};
    ListView_GetItemText(lv, i, 0, buf, 64);
    EXPECT_EQ(buf, texts[i]);
    EXPECT_EQ(w.Icon(i), itemicon::kWaiting);
  }
  PBRANGE range{};
  ::SendMessageW(w.form->pbProgress(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iHigh, 3);
  EXPECT_EQ(w.Pos(w.form->pbProgress()), 0);
  EXPECT_EQ(::GetWindowTextLengthW(w.form->hwnd()), 0);
  EXPECT_TRUE(::GetWindowLongPtrW(w.form->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT client{};
  ::GetClientRect(w.form->hwnd(), &client);
  EXPECT_EQ(client.right, layout::Px(layout::kClientTwips, 96));
  EXPECT_EQ(client.bottom, layout::Px(layout::kClientTwips, 96));
}

TEST(frmMain, LineMarksTheLimitAcrossTheBarWhateverItShows) {
  for (double limit : {0.0, 30.0, 75.0, 100.0}) {
    Window w({Item(L"a", L"a.exe", L"K")}, {limit, 10000, 500});
    w.usage = 60;
    w.form->tmrTimer_Timer();
    ::UpdateWindow(w.form->pbCPU());
    RECT bar = w.Rect(w.form->pbCPU()), line = w.Rect(w.form->lineBar());
    EXPECT_EQ(line.top, limit == 0 ? bar.bottom - 1 : *layout::LineY(bar.top, bar.bottom - bar.top, limit)) << limit;
    HDC dc = ::GetDC(w.form->hwnd());
    EXPECT_EQ(::GetPixel(dc, (bar.left + bar.right) / 2, line.top), RGB(128, 128, 255)) << limit;
    ::ReleaseDC(w.form->hwnd(), dc);
  }
}

TEST(frmMain, ResizeStretchesTheListAndBarsAndSurvivesMinimising) {
  Window w({Item(L"a", L"a.exe", L"K")});
  RECT cpu0 = w.Rect(w.form->pbCPU()), win{};
  ::GetWindowRect(w.form->hwnd(), &win);
  ::SetWindowPos(w.form->hwnd(), nullptr, 0, 0, win.right - win.left + 100, win.bottom - win.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(w.form->hwnd(), SW_MINIMIZE);
  ::ShowWindow(w.form->hwnd(), SW_RESTORE);
  Pump();
  RECT client{}, list = w.Rect(w.form->lvApp()), cpu = w.Rect(w.form->pbCPU()), prog = w.Rect(w.form->pbProgress());
  ::GetClientRect(w.form->hwnd(), &client);
  EXPECT_EQ(client.right, layout::Px(layout::kClientTwips, 96) + 100);
  EXPECT_EQ(list.right, client.right);
  EXPECT_EQ(list.bottom, client.bottom);
  EXPECT_EQ(prog.right, client.right);
  EXPECT_EQ(cpu.right - cpu.left, cpu0.right - cpu0.left);
  EXPECT_EQ(cpu.bottom, client.bottom);
  EXPECT_EQ(w.Rect(w.form->lineBar()).top, *layout::LineY(cpu.top, cpu.bottom - cpu.top, 30));
}

TEST(frmMain, TicksMarkTheListAndTheLastItemEndsTheProgram) {
  Window w({Item(L"a", L"C:\\T\\clock.exe", L"K0"), Item(L"b", L"C:\\T\\fail.exe", L"K1"), Item(L"c", L"z.exe", L"K2")},
           {30, 10000, 0});
  HWND lv = w.form->lvApp();
  w.usage = 12.4;
  w.form->tmrTimer_Timer();
  EXPECT_TRUE(ListView_GetCheckState(lv, 0));
  EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 0);
  EXPECT_EQ(w.Icon(0), itemicon::kStarted);
  EXPECT_EQ(w.Pos(w.form->pbProgress()), 1);
  EXPECT_EQ(w.Pos(w.form->pbCPU()), 12);

  w.form->tmrTimer_Timer();
  EXPECT_EQ(w.Icon(1), itemicon::kFailed);
  w.usage = 250;  // beyond the bar: shown at its end (and too busy to start)
  w.form->tmrTimer_Timer();
  EXPECT_EQ(w.Pos(w.form->pbCPU()), 100);
  EXPECT_EQ(w.ends, 0);
  w.usage = 0;
  w.form->tmrTimer_Timer();
  EXPECT_EQ(w.Pos(w.form->pbProgress()), 3);
  EXPECT_EQ(w.ends, 1);
  EXPECT_EQ(w.released, 0);  // ending after the last item leaves the meter alone
  w.form->tmrTimer_Timer();
  EXPECT_EQ(w.starts, 3);
}

TEST(frmMain, ClosingReleasesTheMeterOnceAndStartsNothingMore) {
  Window w({Item(L"a", L"a.exe", L"K0")}, {30, 10000, 0});
  ::SendMessageW(w.form->hwnd(), WM_CLOSE, 0, 0);
  w.form.reset();
  EXPECT_EQ(w.released, 1);
  EXPECT_EQ(w.starts + w.ends, 0);
}

// The window's words come from the string tables in the user's language
// (the test runs in both).
TEST(frmMain, SpeaksTheUserLanguage) {
  Window w({Item(L"a", L"C:\\T\\clock.exe", L"K0"), Item(L"b", L"z.exe", L"K1")}, {30, 10000, 0});
  const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  wchar_t text[64] = {};
  ::GetWindowTextW(w.form->statusLabel(), text, 64);
  EXPECT_STREQ(text, japanese ? L"スタートアップ処理中です..." : L"Starting your programs...");
  w.form->tmrTimer_Timer();
  ::GetWindowTextW(w.form->hwnd(), text, 64);
  EXPECT_STREQ(text, japanese ? L"clockを起動しています。" : L"Starting clock.");
}

TEST(frmMain, UserCannotToggleTheCheckMarks) {
  Window w({Item(L"a", L"a.exe", L"K0")});
  ListView_SetCheckState(w.form->lvApp(), 0, TRUE);
  EXPECT_FALSE(ListView_GetCheckState(w.form->lvApp(), 0));
}

}  // namespace
