// The Log-on tab drawing a long log-on (200 items) in the editor's window at
// 1280x800, timed whole under Wine or Windows: the tab shown (the timeline
// file read, the chart laid out and painted), the chart repainted (as when
// the pointer moves to another row), and saved as a PNG. The
// target is under 50 ms a drawing. Prints the median and the slowest of each.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "common/tests/support/fakes.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"
#include "editor/bench/long_logon.h"
#include "editor/tests/window_rig.h"
#include "editor/win32/editor_window.h"

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER hz;
  QueryPerformanceFrequency(&hz);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(hz.QuadPart);
}

// prepare runs before each round, untimed.
void Time(const char* what, int rounds, const std::function<void()>& once, const std::function<void()>& prepare = {}) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    if (prepare) prepare();
    tvltest::Pump();
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    once();
    QueryPerformanceCounter(&b);
    ms.push_back(Ms(a, b));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-44s median %6.2f ms, slowest %6.2f ms (%d rounds)\n", what, ms[ms.size() / 2], ms.back(), rounds);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  TempFolder dir;
  dir.Write(L"Tarvoline.exe", "");
  dir.Write(L"Tarvoline.timeline.txt", timeline::Serialize(bench::LongLogOn()));
  fake::Clock clock;
  fake::Messages messages;
  editor::EditorWindowArgs args{GetModuleHandleW(nullptr), RealFileSystem(), clock, messages,
                                dir.Write(L"Startup.pmw", ""), [](HWND, const std::wstring&, UINT) { return IDNO; },
                                false};
  args.programFolder = dir.path();
  editor::EditorWindow window(std::move(args));
  if (!window.Create(SW_SHOWNOACTIVATE)) return std::puts("the editor's window could not be made"), 1;
  RECT frame{0, 0, 1280, 800};
  AdjustWindowRectEx(&frame, GetWindowLongW(window.Handle(), GWL_STYLE), FALSE,
                     GetWindowLongW(window.Handle(), GWL_EXSTYLE));
  SetWindowPos(window.Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  editor_rig::ClickTab(window, 2);
  tvltest::Pump();
  editor::LogonPage& page = window.Logon();
  HWND chart = page.View().hwnd();
  RECT client{};
  GetClientRect(chart, &client);
  if (page.Runs().empty() || page.View().Chart().rows.size() != 200)
    return std::puts("the 200-item run was not read"), 1;
  std::printf("chart %ldx%ld pixels, %zu rows, %zu usage points\n", client.right, client.bottom,
              page.View().Chart().rows.size(), page.View().Chart().usage.size());

  const int rounds = 30;
  Time(
      "tab shown: file read, laid out, painted", rounds,
      [&] {
        editor_rig::ClickTab(window, 2);
        RedrawWindow(chart, nullptr, nullptr, RDW_UPDATENOW);
      },
      [&] { editor_rig::ClickTab(window, 0); });
  Time("chart repainted", rounds, [&] { RedrawWindow(chart, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); });
  const std::wstring png = dir / L"chart.png";
  Time("chart saved as a PNG (drawn, encoded, written)", rounds, [&] { page.SavePicture(png); });
  return 0;
}
