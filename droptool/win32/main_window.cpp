#include "main_window.h"

#include <algorithm>
#include <iterator>

#include "clipboard.h"
#include "common/ui_text.h"
#include "common/win32/dpi.h"
#include "common/win32/program_info.h"
#include "droptool/texts.h"
#include "tvltool_tool.h"


namespace droptool {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT kProcessDrops = WM_APP + 1;

// Layout at 96 DPI (the form's twips divided by 15).
constexpr int kClientWidth = 312;   // 4680 twips
constexpr int kClientHeight = 213;  // 3195 twips

struct ControlArgs {
  Control id;
  const wchar_t* className;
  unsigned text;  // the text's id; 0: none
  DWORD style;
  int x, y, width, height;
};

constexpr ControlArgs kControls[] = {
    {Control::Instructions, L"STATIC", texts::kInstructions, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 8, 8, 297, 41},
    // A drop-down list's height is that of its open list; the closed box is
    // as high as its font needs (300 twips at the usual size).
    {Control::cmbMode, L"COMBOBOX", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 8, 64,
     297, 120},
    {Control::DropArea, L"BUTTON", texts::kDropArea, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 8, 96, 297, 105},
};

constexpr int kFirstControlId = 100;
// The label may grow down to just above the list when the user's font needs
// more than its three lines of 615 twips.
constexpr int kLabelMaxHeight = 52;

// The height the label's wrapped text needs in its font, between height and maxHeight.
int LabelHeight(HWND label, int width, int height, int maxHeight) {
  wchar_t text[256] = L"";
  GetWindowTextW(label, text, 256);
  win::WindowDc dc(label);
  if (!dc) return height;
  win::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT r{0, 0, width, 0};
  DrawTextW(dc.get(), text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return std::max(height, std::min<int>(r.bottom, maxHeight));
}

SIZE OuterSize(UINT dpi) {
  return win::OuterSize(kStyle, kExStyle, MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96), dpi);
}

}  // namespace

MainWindow::MainWindow(const MainWindowArgs& args) : args_(args) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create(int showCommand) {
  WNDCLASSEXW wc{};
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(args_.instance, MAKEINTRESOURCEW(IDI_PROGRAM));  // the program's icon, when it has one
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  if (!RegisterClassOnce(args_.instance, wc)) return false;

  dpi_ = win::SystemDpi();
  SIZE size = OuterSize(dpi_);
  std::wstring caption = program::VersionCaption(L"TVL Tool");
  if (!CreateFrame(args_.instance, kExStyle, caption.c_str(), kStyle, size.cx, size.cy)) return false;
  // The monitor the system chose may have another DPI than the system's.
  UINT actual = win::WindowDpi(hwnd_);
  if (actual != dpi_) {
    ApplyDpi(actual);
    ResizeClient();
  }
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

HWND MainWindow::ControlHandle(Control c) const { return controls_[static_cast<int>(c)]; }

RECT MainWindow::DropAreaOnScreen() const {
  RECT r{};
  GetWindowRect(ControlHandle(Control::DropArea), &r);
  return r;
}

void MainWindow::SelectMode(int index) {
  SendMessageW(ControlHandle(Control::cmbMode), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case kProcessDrops:
      OnProcessDrops();
      return 0;
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

bool MainWindow::OnCreate() {
  for (const ControlArgs& c : kControls) {
    HWND h = CreateWindowExW(0, c.className, c.text ? ui::Text(c.text).c_str() : L"", c.style, 0, 0, 0, 0, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(c.id))),
                             args_.instance, nullptr);
    if (!h) return false;
    controls_[static_cast<int>(c.id)] = h;
  }
  HWND mode = ControlHandle(Control::cmbMode);
  for (const TVLToolTool::ModeEntry& m : TVLToolTool::kModes)
    SendMessageW(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Text(m.text).c_str()));
  SendMessageW(mode, CB_SETCURSEL, 0, 0);
  ApplyDpi(dpi_);

  target_.reset(new DropTarget(this));
  registered_ = SUCCEEDED(RegisterDragDrop(hwnd_, target_.get()));
  return registered_;
}

void MainWindow::OnDestroy() {
  // A window that never finished its creation posts no quit: the caller's
  // error message would otherwise close at once.
  if (args_.quitOnDestroy && registered_) PostQuitMessage(0);
  if (registered_) RevokeDragDrop(hwnd_);
  registered_ = false;
  if (target_) target_.get()->Detach();
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
  ApplyDpi(dpi);
  if (suggested)
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  ResizeClient();
}

void MainWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(win::SystemDpi()));
  } else {
    font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    font.lfCharSet = DEFAULT_CHARSET;
  }
  win::GdiObject newFont(CreateFontIndirectW(&font));
  for (const ControlArgs& c : kControls) {
    HWND h = ControlHandle(c.id);
    if (newFont) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(newFont.get()), TRUE);
    int height = MulDiv(c.height, dpi, 96);
    if (c.id == Control::Instructions) height = LabelHeight(h, MulDiv(c.width, dpi, 96), height, MulDiv(kLabelMaxHeight, dpi, 96));
    SetWindowPos(h, nullptr, MulDiv(c.x, dpi, 96), MulDiv(c.y, dpi, 96), MulDiv(c.width, dpi, 96), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The controls use the new font now; the old one may go.
  if (newFont) font_ = std::move(newFont);
}

void MainWindow::ResizeClient() {
  SIZE size = OuterSize(dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::IsOverDropArea(POINTL screen) {
  RECT area = DropAreaOnScreen();
  return PtInRect(&area, POINT{screen.x, screen.y});
}

void MainWindow::OnFilesDropped(std::optional<std::vector<std::wstring>> files) {
  // Handled after Drop has returned, so that the drag source is not held
  // while the text is built or a message is shown.
  pending_.push_back(std::move(files));
  PostMessageW(hwnd_, kProcessDrops, 0, 0);
}

void MainWindow::OnProcessDrops() {
  // A message box runs its own loop, in which another drop may arrive: it
  // waits in the queue until this one is done.
  if (processing_) return;
  processing_ = true;
  while (!pending_.empty()) {
    std::optional<std::vector<std::wstring>> files = std::move(pending_.front());
    pending_.pop_front();
    ProcessDrop(files);
  }
  processing_ = false;
}

void MainWindow::ProcessDrop(const std::optional<std::vector<std::wstring>>& files) {
  if (!files) {
    args_.messages.Show(ui::Text(texts::kNoFileList), ui::MessageIcon::Critical);
    return;
  }
  TVLToolTool::DropText text = TVLToolTool::BuildDropText(*files, SelectedSize(), args_.shortcuts, args_.clock);
  if (!text.text) {
    args_.messages.Show(text.error, ui::MessageIcon::Critical);
    return;
  }
  if (!clipboard::SetText(hwnd_, *text.text))
    args_.messages.Show(ui::Text(texts::kClipboardFailed), ui::MessageIcon::Critical);
}

int MainWindow::SelectedSize() const {
  LRESULT index = SendMessageW(ControlHandle(Control::cmbMode), CB_GETCURSEL, 0, 0);
  return TVLToolTool::SizeOfMode(static_cast<int>(index));
}

}  // namespace droptool
