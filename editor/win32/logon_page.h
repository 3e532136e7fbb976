// The editor's third page: the log-on runs Tarvoline recorded in
// Tarvoline.timeline.txt beside Tarvoline.exe, one picked from a list and
// drawn as a chart (editor/logon_chart.h) with each row's facts under it, and
// a button that saves the picture as PNG.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "common/messages.h"
#include "common/win32/controls.h"
#include "common/win32/window.h"
#include "editor/logon_chart.h"
#include "sequence/timeline.h"

namespace editor {

// The colour a role is drawn in when high contrast is off.
COLORREF ChartColour(chart::Role role);

// The custom-drawn chart of one run: double-buffered, scrolled vertically,
// its row under the mouse (or picked with the arrow keys) reported.
class ChartView final : public win::Window<ChartView> {
 public:
  struct Events {
    std::function<void(std::optional<std::size_t> item)> hovered;
    std::function<void(std::size_t item)> opened;  // double-click or Enter
  };
  explicit ChartView(Events events) : events_(std::move(events)) {}
  ~ChartView();
  ChartView(const ChartView&) = delete;
  ChartView& operator=(const ChartView&) = delete;

  HWND Create(HINSTANCE instance, HWND parent, int id);
  // The run drawn (null: none), kept by the caller while shown.
  void SetRun(const timeline::Run* run);
  const chart::Chart& Chart() const { return chart_; }
  // Draws what the window shows at its client size into a new bitmap.
  HBITMAP Picture();

 private:
  friend win::Window<ChartView>;
  static constexpr wchar_t kClassName[] = L"TVLeditorLogonChart";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Relayout();
  void OnPaint();
  void Draw(HDC dc, int width, int height) const;
  void ScrollTo(int y);
  void Hover(std::optional<std::size_t> row);
  void OnKey(WPARAM key);

  Events events_;
  const timeline::Run* run_ = nullptr;
  HFONT font_ = nullptr;  // the page's, at the frame's DPI (WM_SETFONT)
  win::GdiObject bold_;   // the emphasised rows' titles
  chart::Chart chart_;
  int scroll_ = 0;
  std::optional<std::size_t> hot_;  // a row of chart_
};

struct LogonPageArgs {
  HINSTANCE instance = nullptr;
  FileSystem& files;
  ui::Messages& messages;
  std::wstring folder;  // where Tarvoline.exe and its timeline lie
  // The user asks to see an item of the sequence (its 1-based position).
  std::function<void(int position)> showItem;
};

class LogonPage final : public win::Window<LogonPage> {
 public:
  explicit LogonPage(LogonPageArgs args);
  ~LogonPage();
  LogonPage(const LogonPage&) = delete;
  LogonPage& operator=(const LogonPage&) = delete;

  // Creates the page, hidden, as a child of parent.
  bool Create(HWND parent);
  // Places the page over rect (parent's client pixels) and its controls at dpi.
  void Layout(const RECT& rect, UINT dpi, const win::Fonts& fonts);
  // Shown, the file is read again: Tarvoline may have added a run.
  void Show(bool shown);
  bool Shown() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
  // Writes the picture as PNG; S_OK or the failure's code.
  HRESULT SavePicture(const std::wstring& path);

  const std::vector<timeline::Run>& Runs() const { return runs_; }  // newest first
  const ChartView& View() const { return view_; }
  HWND Picker() const;
  HWND StateLine() const;
  HWND FactsLine() const;

 private:
  friend win::Window<LogonPage>;
  static constexpr wchar_t kClassName[] = L"TVLeditorLogonPage";
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code);
  void Reload();
  // The picked run drawn, the previous one's length beside the list.
  void ShowRun();
  void OnSavePicture();

  LogonPageArgs args_;
  std::vector<timeline::Run> runs_;
  ChartView view_;
};

}  // namespace editor
