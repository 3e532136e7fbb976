#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_folder.h"
#include "tool.h"
#include "win32/special_folders.h"
#include "win32/draw.h"
#include "win32/raii.h"

namespace {

namespace fs = std::filesystem;

TEST(SpecialFolders, FileSystemFoldersOnlyHaveAPath) {
  EXPECT_FALSE(special_folders::UserStartup().empty());
  EXPECT_EQ(special_folders::Path(0x0003), L"");  // the Control Panel has no path
}

TEST(Seams, StartInTheCurrentDirectoryAndOpenDocuments) {
  TempFolder dir;
  fs::path saved = fs::current_path();
  auto waitFor = [](const std::wstring& path) {
    for (int i = 0; i < 200 && !fs::exists(fs::path(path)); ++i) Sleep(50);
    return fs::exists(fs::path(path));
  };
  Processes& p = RealProcesses();
  ASSERT_TRUE(p.SetCurrentDirectory(dir.path()));
  EXPECT_FALSE(p.SetCurrentDirectory(dir / L"missing"));
  // A relative output file lands in the directory just set.
  EXPECT_TRUE(p.Start(L"cmd.exe /c echo started> started.txt", show::kHide));
  EXPECT_TRUE(waitFor(dir / L"started.txt"));
  EXPECT_FALSE(p.Start(L"\"" + (dir / L"missing.exe") + L"\"", show::kNormal));
  // A command script's default action runs it: the real shell was reached
  // without opening another program's window.
  std::wstring script = dir.Write(L"mark.cmd", "@echo opened> \"%~dp0opened.txt\"\r\n");
  EXPECT_TRUE(tool::ShellOpen(nullptr, script, RealShell(), RealFileSystem()));
  EXPECT_TRUE(waitFor(dir / L"opened.txt"));
  fs::current_path(saved);
}

TEST(DrawEtchedLine, ShadowThenHighlightBelow) {
  constexpr int kSize = 40;
  constexpr COLORREF kBack = RGB(0x12, 0x34, 0x56);
  struct Case { int x1, y, width, dpi, left, right, gap; };  // pixels [left, right) on rows y and y + gap
  const Case cases[] = {
      {5, 10, 20, 96, 5, 25, 1},  // 20 twips are 1.3 pixels at 96 dpi
      {5, 10, 20, 144, 5, 25, 2},
      {30, 3, -10, 288, 20, 30, 4},  // drawn leftwards from x1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dpi " << c.dpi);
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), kSize, kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    win::GdiObject bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectObject(dc.get(), bitmap.get());
    win::GdiObject back(CreateSolidBrush(kBack));
    RECT all{0, 0, kSize, kSize};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(back.get()));
    tool::DrawEtchedLine(dc.get(), c.x1, c.y, c.width, c.dpi);
    for (int x = 0; x < kSize; ++x)
      for (int y = 0; y < kSize; ++y) {
        const bool inside = x >= c.left && x < c.right;
        const COLORREF want = !inside ? kBack : y == c.y ? GetSysColor(COLOR_BTNSHADOW)
                              : y == c.y + c.gap ? GetSysColor(COLOR_BTNHIGHLIGHT) : kBack;
        ASSERT_EQ(GetPixel(dc.get(), x, y), want) << x << "," << y;
      }
  }
}

}  // namespace
