// The main window over many runs and over very large sequences: no handle,
// GDI object or window may outlive a run, and a huge list must still load,
// show and start.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/path_rules.h"
#include "common/tool.h"
#include "common/win32/raii.h"
#include "sequence/sequence_file.h"
#include "temp_folder.h"
#include "window_rig.h"

namespace {

// Starts succeed except for programs named "fail"; documents go to the fake shell.
struct Seams : Processes, Shell {
  PlainLaunchSystem launch{*this, *this, RealFileSystem()};
  int starts = 0, opens = 0;
  bool Start(const std::wstring& line, int) override { return ++starts, line.find(L"fail") == std::wstring::npos; }
  bool SetCurrentDirectory(const std::wstring&) override { return true; }
  std::intptr_t Execute(WindowHandle, const std::wstring&, const std::wstring&, int) override { return ++opens, 42; }
};

FrmMainArgs Args(const std::vector<sequence::SequenceItem>& items, Seams& seams, int& ends) {
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

// Live GDI objects; -1 where the system reports none (the emulator), and the
// GDI checks then pass over it.
long GdiObjects() {
  const long n = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
  return n > 0 ? n : -1;
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

struct Usage { long handles, gdi, user, windows; };

Usage Measure() {
  return {KernelHandles(), GdiObjects(), static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)),
          Windows()};
}

// The counting itself sees objects come and go, or a clean result would prove nothing.
TEST(frmMainFaults, TheCountsSeeObjectsComeAndGo) {
  const Usage before = Measure();
  std::vector<win::GdiObject> brushes;
  std::vector<win::Handle> events;
  for (int i = 0; i < 20; ++i) {
    brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
    events.emplace_back(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  }
  EXPECT_GE(Measure().handles - before.handles, 20);
  EXPECT_TRUE(before.gdi < 0 || Measure().gdi - before.gdi >= 20);
  brushes.clear();
  events.clear();
  EXPECT_LE(Measure().handles - before.handles, 4);  // a few made on first use may stay
}

TEST(frmMainFaults, TwoHundredRunsInOneProcessLeaveNoHandleBehind) {
  TempFolder dir;
  std::vector<sequence::SequenceItem> items = {
      {L"a", L"C:\\T\\a.exe", L"", L"", 1, L"K0"},
      {L"doc", dir.Write(L"readme.txt", "x"), dir.path(), L"", 1, L"K1"},
      {L"f", L"C:\\T\\fail.exe", L"", L"", 1, L"K2"},
      {L"size", L"C:\\T\\b.exe", L"", L"", -1, L"K3"},
  };
  Seams seams;
  // Hidden: the emulator waits two seconds for a window manager whenever a
  // shown window goes away. A change of DPI remakes every font, image list
  // and icon, and a paint draws with them.
  auto run = [&] {
    int ends = 0;
    {
      frmMain form(Args(items, seams, ends));
      ASSERT_TRUE(form.Create(SW_HIDE));
      RECT suggested{0, 0, 600, 600};
      ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
      ::SendMessageW(form.hwnd(), WM_PAINT, 0, 0);
      Pump();
      for (int i = 0; i < 10 && ends == 0; ++i) form.tmrTimer_Timer();
      Pump();
      ASSERT_EQ(ends, 1);
    }
    Pump();
  };
  for (int i = 0; i < 5; ++i) run();  // lazily made system objects come now
  const Usage before = Measure();
  for (int i = 0; i < 200; ++i) {
    run();
    if (HasFatalFailure()) return;
  }
  const Usage after = Measure();
  // A leak of one object a run would show as 200.
  EXPECT_LE(after.handles - before.handles, 8);
  EXPECT_LE(after.gdi - before.gdi, 8);
  EXPECT_LE(after.user - before.user, 8);
  EXPECT_LE(after.windows - before.windows, 0);
  EXPECT_EQ(seams.starts, 205 * 2);  // the Size that no window takes is never started
  EXPECT_EQ(seams.opens, 205);
}

std::string Record(int i, const std::string& extra) {
  return "2001/05/12\x81\x46item" + std::to_string(i) + "\x01\x01" "File=C:\\Apps\\app" + std::to_string(i) +
         ".exe\r\nCurrent=\r\nOption=" + extra + "\r\nSize = 1\r\nNoUse = 0\x01";
}

// Loads the file, shows the window over it and starts the first two items.
void LoadShowAndStart(const std::string& bytes, size_t kept) {
  TempFolder dir;
  const std::vector<sequence::SequenceItem> items = sequence::LoadSequence(dir.Write(L"Startup.pmw", bytes), RealFileSystem()).Items;
  Seams seams;
  int ends = 0;
  frmMain form(Args(items, seams, ends));
  ASSERT_TRUE(form.Create(SW_SHOWNOACTIVATE));
  ASSERT_EQ(ListView_GetItemCount(form.lvApp()), static_cast<int>(kept));
  form.tmrTimer_Timer();
  form.tmrTimer_Timer();
  EXPECT_EQ(seams.starts, 2);
  wchar_t caption[64] = {};
  ::GetWindowTextW(form.hwnd(), caption, 64);
  EXPECT_EQ(caption, paths::Stem(items[1].File) + L"を起動しています。");
}

TEST(frmMainFaults, AHundredThousandItemsLoadShowAndStart) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes += Record(i, "");
  LoadShowAndStart(bytes, 100000);
}

TEST(frmMainFaults, AFiftyMegabyteFileLoadsShowsAndStarts) {
  // Long option lines, most items switched off, and one record of 20 MB.
  std::string bytes;
  const std::string option(290, 'o');
  int kept = 0;
  for (int i = 0; bytes.size() < 30'000'000; ++i) {
    std::string r = Record(i, option);
    if (i % 10 != 0) r.replace(r.rfind("NoUse = 0"), 9, "NoUse = 1");
    else ++kept;
    bytes += r;
  }
  bytes += "huge\x01\x01" "File=C:\\Apps\\huge.exe\r\nOption=" + std::string(20'000'000, 'h') + "\x01";
  LoadShowAndStart(bytes, static_cast<size_t>(kept) + 1);
}

}  // namespace
