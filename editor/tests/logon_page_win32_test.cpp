#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/text.h"
#include "common/win32/raii.h"
#include "editor/win32/editor_window.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"
#include "sequence/item_text.h"
#include "sequence/timeline.h"

namespace {

using editor::Control;
using timeline::HoldKind;

timeline::Item Item(int position, std::int64_t next, std::int64_t went, std::int64_t impact) {
  timeline::Item item;
  item.position = position;
  item.title = L"Program " + std::to_wstring(position);
  item.file = L"C:\\p" + std::to_wstring(position) + L".exe";
  item.nextMs = next;
  item.holds = {{HoldKind::Interval, next, went}};
  item.wentMs = went;
  item.processId = 100u + static_cast<unsigned>(position);
  item.readyMs = went + 500;
  item.impactMs = impact;
  return item;
}

timeline::Run MakeRun(int day, std::int64_t lengthMs, int items) {
  timeline::Run run;
  run.began = {2026, 12, day, 8, 15, 2, 0};
  run.settings.cpuLimit = 30;
  run.lengthMs = lengthMs;
  for (std::int64_t ms = 0; ms <= lengthMs; ms += 500) run.usage.push_back({ms, ms % 4000 < 2000 ? 90.0 : 15.0});
  for (int i = 0; i < items; ++i) run.items.push_back(Item(i + 1, i * 4000, i * 4000 + 3000, 400 + i * 900));
  return run;
}

std::wstring ComboText(HWND combo, int i) {
  std::wstring s(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
  SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(s.data()));
  return s;
}

// Ctrl+Tab (with Shift: back) as the message loop hands it to the window.
void PressCtrlTab(editor::EditorWindow& window, bool back = false) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  keys[VK_SHIFT] = back ? 0x80 : 0;
  SetKeyboardState(keys);
  MSG key{window.ControlHandle(Control::ItemList), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(window.TranslateKeys(key));
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

std::uint32_t BigEndian(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

// The page over a real file beside a Tarvoline.exe stand-in: the runs newest
// first, the chart painted in its colours, a row's facts on hover, a
// double-click that opens the item, the PNG, and a damaged block named.
TEST(LogonPage, ListsDrawsExplainsOpensAndSavesTheRecordedRuns) {
  TempFolder dir;
  dir.Write(L"Tarvoline.exe", "");
  const timeline::Run older = MakeRun(1, 20000, 2), newer = MakeRun(8, 42000, 3);
  const std::string file = timeline::Serialize(older) + timeline::Serialize(newer);
  dir.Write(L"Tarvoline.timeline.txt", file);
  // The run numbers only the items it handled: the switched-off first row has none.
  std::wstring items;
  for (const wchar_t* file : {L"C:\\p1.exe", L"C:\\P1.EXE", L"C:\\p2.exe", L"C:\\other.exe"})
    items += L"2001/05/12：T\x01\x01" + sequence::ItemBody(file, L"C:\\", L"", 1) + L"\x01";
  items.replace(items.find(L"NoUse = 0"), 9, L"NoUse = 1");
  fake::Clock clock;
  fake::Messages messages;
  editor::EditorWindowArgs args{GetModuleHandleW(nullptr), RealFileSystem(), clock, messages,
                                dir.Write(L"Startup.pmw", text::ToAnsi(items)),
                                [](HWND, const std::wstring&, UINT) { return IDNO; }, false};
  args.programFolder = dir.path();
  std::optional<editor::EditorWindow> window;
  window.emplace(std::move(args));
  ASSERT_TRUE(window->Create(SW_SHOWNOACTIVATE));
  PressCtrlTab(*window);
  EXPECT_TRUE(window->Settings().Shown());
  PressCtrlTab(*window);
  editor::LogonPage& page = window->Logon();
  ASSERT_TRUE(page.Shown());
  EXPECT_FALSE(IsWindowVisible(window->ControlHandle(Control::ItemList)));

  HWND picker = page.Picker();
  ASSERT_EQ(SendMessageW(picker, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(ComboText(picker, 0).find(L"2026-12-08 08:15:02"), 0u);
  EXPECT_NE(ComboText(picker, 0).find(L"42.0"), std::wstring::npos);
  EXPECT_EQ(ComboText(picker, 1).find(L"2026-12-01"), 0u);

  // Painted as the chart's geometry says: a hold bar in its role's colour.
  HWND picture = page.View().hwnd();
  RECT client{};
  GetClientRect(picture, &client);
  ASSERT_GT(client.right, 0);
  ASSERT_GT(client.bottom, 0);
  const chart::Chart& ch = page.View().Chart();
  ASSERT_EQ(ch.rows.size(), 3u);
  const chart::Shape& hold = ch.rows[2].shapes.front();
  ASSERT_EQ(hold.role, chart::Role::HoldInterval);
  {
    win::WindowDc screen(nullptr);
    win::MemoryDc dc(CreateCompatibleDC(screen.get()));
    win::GdiObject bitmap(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    win::SelectedObject selected(dc.get(), bitmap.get());
    SendMessageW(picture, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    EXPECT_EQ(GetPixel(dc.get(), hold.rect.x + hold.rect.width / 2, hold.rect.y + hold.rect.height / 2),
              editor::ChartColour(hold.role));
  }

  // Hovering a row tells its facts; double-clicking it opens its item.
  const chart::Rect row = ch.rows[1].rect;
  const LPARAM at = MAKELPARAM(row.x + row.width / 2, row.y + row.height / 2);
  ASSERT_EQ(chart::RowAt(ch, row.x + row.width / 2, row.y + row.height / 2), std::optional<std::size_t>(1));
  SendMessageW(picture, WM_MOUSEMOVE, 0, at);
  EXPECT_EQ(tvltest::TextOf(page.FactsLine()), chart::FactsText(newer.items[1]));
  EXPECT_NE(tvltest::TextOf(page.FactsLine()).find(L"C:\\p2.exe"), std::wstring::npos);

  // The picture as PNG at the window's size; a folder that is not there fails without a file.
  const std::wstring png = dir / L"chart.png";
  ASSERT_EQ(page.SavePicture(png), S_OK);
  const std::string bytes = TempFolder::Read(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(BigEndian(bytes, 16), static_cast<std::uint32_t>(client.right));
  EXPECT_EQ(BigEndian(bytes, 20), static_cast<std::uint32_t>(client.bottom));
  EXPECT_TRUE(FAILED(page.SavePicture(dir / L"missing\\chart.png")));

  SendMessageW(picture, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  HWND list = window->ControlHandle(Control::ItemList);
  EXPECT_EQ(TabCtrl_GetCurSel(window->ControlHandle(Control::Pages)), 0);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);
  // The list's impact column: by the run's position and the same file only.
  const std::wstring impacts[] = {L"", chart::ImpactText(newer.items[0]), chart::ImpactText(newer.items[1]), L""};
  for (int r = 0; r < 4; ++r) {
    wchar_t cell[64] = L"";
    ListView_GetItemText(list, r, 3, cell, 64);
    EXPECT_EQ(cell, impacts[r]) << r;
  }
  EXPECT_FALSE(impacts[1].empty());

  // A block cut short is named and the rest still shown, read again as the tab is shown again.
  const std::string damaged = file.substr(0, file.size() - 10);
  dir.Write(L"Tarvoline.timeline.txt", damaged);
  PressCtrlTab(*window, true);  // round the strip, from the first tab to the last
  EXPECT_EQ(TabCtrl_GetCurSel(window->ControlHandle(Control::Pages)), 2);
  EXPECT_EQ(SendMessageW(picker, CB_GETCOUNT, 0, 0), 1);
  const timeline::ReadResult read = timeline::Read(damaged);
  ASSERT_EQ(read.skipped.size(), 1u);
  EXPECT_NE(tvltest::TextOf(page.StateLine()).find(timeline::SkippedText(read.skipped[0])), std::wstring::npos);
  EXPECT_TRUE(messages.shown.empty());
  window.reset();
}

}  // namespace
