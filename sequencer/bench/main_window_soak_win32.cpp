// Soaks of the main window: many runs in one process, each with a change of
// DPI, a paint and every tick to the end, where no handle, GDI object or
// window may outlive a run; and a list of a hundred thousand items in fifty
// megabytes, which must load, show and start. Too slow for the suite under
// the emulator; run them by hand on a display (scripts/display.sh):
//   cmake --build build/windows --target tvl_main_window_soak
//   scripts/wine-run.sh build/windows/wine-soak build/windows/sequencer/bench/tvl_main_window_soak.exe
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/path_rules.h"
#include "common/tests/support/plain_launch_system.h"
#include "common/tests/support/temp_folder.h"
#include "sequence/sequence_file.h"
#include "sequencer/tests/window_rig.h"

namespace {

using sequencer::MainWindow;

// Starts succeed except for programs named "fail"; documents go to the fake shell.
struct Seams : Processes, Shell {
  PlainLaunchSystem launch{*this, *this, RealFileSystem()};
  int starts = 0, opens = 0;
  bool Start(const std::wstring& line, int) override { return ++starts, line.find(L"fail") == std::wstring::npos; }
  bool SetCurrentDirectory(const std::wstring&) override { return true; }
  std::intptr_t Execute(WindowHandle, const std::wstring&, const std::wstring&, int) override { return ++opens, 42; }
};

sequencer::MainWindowArgs Args(const std::vector<sequence::SequenceItem>& items, Seams& seams, int& ends) {
  return {.items = items,
          .settings = {30, 10000, 0},
          .createMeter = ZeroMeter::Make,
          .endProgram = [&ends] { ++ends; },
          .quitOnClose = false,
          .launcher = seams.launch};
}

// Open kernel handles. Where GetProcessHandleCount answers nothing (the
// emulator), the handle values in use are counted one by one.
long KernelHandles() {
  DWORD count = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return static_cast<long>(count);
  long n = 0;
  for (ULONG_PTR h = 4; h < 0x20000; h += 4) {
    DWORD flags;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
  }
  return n;
}

// The thread's windows, children included.
BOOL CALLBACK CountChild(HWND, LPARAM total) { return ++*reinterpret_cast<long*>(total), TRUE; }
BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM total) {
  ++*reinterpret_cast<long*>(total);
  ::EnumChildWindows(hwnd, CountChild, total);
  return TRUE;
}
long Windows() {
  long n = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&n));
  return n;
}

// GDI and USER objects read 0 where the system does not count them (the emulator).
struct Usage { long handles, gdi, user, windows; };

Usage Measure() {
  auto gui = [](DWORD what) { return static_cast<long>(::GetGuiResources(::GetCurrentProcess(), what)); };
  return {KernelHandles(), gui(GR_GDIOBJECTS), gui(GR_USEROBJECTS), Windows()};
}

TEST(MainWindowSoak, RunsInOneProcessLeaveNoHandleBehind) {
  TempFolder dir;
  std::vector<sequence::SequenceItem> items = {
      {L"a", L"C:\\T\\a.exe", L"", L"", 1},
      {L"doc", dir.Write(L"readme.txt", "x"), dir.path(), L"", 1},
      {L"f", L"C:\\T\\fail.exe", L"", L"", 1},
      {L"size", L"C:\\T\\b.exe", L"", L"", -1},
  };
  Seams seams;
  // Hidden: the emulator waits two seconds for a window manager whenever a
  // shown window goes away. A change of DPI remakes every font, image list
  // and icon, and a paint draws with them.
  auto run = [&] {
    int ends = 0;
    {
      MainWindow window(Args(items, seams, ends));
      ASSERT_TRUE(window.Create(SW_HIDE));
      RECT suggested{0, 0, 600, 600};
      ::SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
      ::SendMessageW(window.hwnd(), WM_PAINT, 0, 0);
      Pump();
      for (int i = 0; i < 10 && ends == 0; ++i) window.OnTick();
      Pump();
      ASSERT_EQ(ends, 1);
    }
    Pump();
  };
  for (int i = 0; i < 5; ++i) run();  // lazily made system objects come now
  const Usage before = Measure();
  for (int i = 0; i < 20; ++i) {
    run();
    if (HasFatalFailure()) return;
  }
  const Usage after = Measure();
  // A leak of one object a run would show as 20.
  EXPECT_LE(after.handles - before.handles, 8);
  EXPECT_LE(after.gdi - before.gdi, 8);
  EXPECT_LE(after.user - before.user, 8);
  EXPECT_LE(after.windows - before.windows, 0);
  EXPECT_EQ(seams.starts, 25 * 2);  // the Size that no window takes is never started
  EXPECT_EQ(seams.opens, 25);
}

std::string Record(int i, const std::string& extra) {
  return "2001/05/12\x81\x46item" + std::to_string(i) + "\x01\x01" "File=C:\\Apps\\app" + std::to_string(i) +
         ".exe\r\nCurrent=\r\nOption=" + extra + "\r\nSize = 1\r\nNoUse = 0\x01";
}

// Long option lines and one record of 20 MB: the file loads, the window
// shows every item and starts the first two.
TEST(MainWindowSoak, AHundredThousandItemsInFiftyMegabytesLoadShowAndStart) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes += Record(i, std::string(290, 'o'));
  bytes += "huge\x01\x01" "File=C:\\Apps\\huge.exe\r\nOption=" + std::string(20'000'000, 'h') + "\x01";
  TempFolder dir;
  const std::vector<sequence::SequenceItem> items = sequence::LoadSequence(dir.Write(L"Startup.pmw", bytes), RealFileSystem(), UserNumberSeparators()).items;
  Seams seams;
  int ends = 0;
  MainWindow window(Args(items, seams, ends));
  ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
  ASSERT_EQ(ListView_GetItemCount(window.itemList()), 100001);
  window.OnTick();
  window.OnTick();
  EXPECT_EQ(seams.starts, 2);
  wchar_t caption[64] = {};
  ::GetWindowTextW(window.hwnd(), caption, 64);
  EXPECT_EQ(caption, paths::Stem(items[1].file) + L"を起動しています。");
}

}  // namespace
