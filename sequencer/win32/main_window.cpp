#include "sequencer/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "common/path_rules.h"
#include "sequencer/entry.h"
#include "sequencer/texts.h"
#include "sequencer/win32/cpu_meter_win32.h"
#include "sequencer/win32/triangle_images.h"

namespace sequencer {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr COLORREF kMarkColour = RGB(128, 128, 255);
// The design face; the system's message font stands in where it is missing.
const wchar_t kDesignFace[] = L"ＭＳ Ｐゴシック";

using win::IdOf;

// The client area at 96 DPI, and the white band across its top with the
// program's icon at the right; the band spans the window as it widens.
constexpr win::Size96 kClientSize{382, 382};
constexpr win::Size96 kBand{385, 73};
constexpr int kLogoX = 312, kLogoY = 8;

constexpr unsigned kWide = win::kAnchorLeft | win::kAnchorTop | win::kAnchorRight;
constexpr unsigned kTall = win::kAnchorLeft | win::kAnchorTop | win::kAnchorBottom;

// The bars and the list reach the client area's right and bottom edges and
// follow them; the limit mark is moved onto the processor bar by OnLayout.
constexpr win::ControlSpec kControls[] = {
    {WC_STATICW, 0, WS_VISIBLE | SS_NOPREFIX | SS_LEFT, 0, IdOf(Control::TitleLabel), {8, 8, 148, 16},
     win::kAnchorTopLeft, win::FontRole::Title},
    // The busy text may run up to the icon, so that wider UI faces are not cut.
    {WC_STATICW, texts::kBusy, WS_VISIBLE | SS_NOPREFIX | SS_LEFT | SS_ENDELLIPSIS, 0, IdOf(Control::StatusLabel),
     {168, 48, 140, 15}},
    {PROGRESS_CLASSW, 0, WS_VISIBLE | PBS_SMOOTH | WS_CLIPSIBLINGS, 0, IdOf(Control::ProgressBar), {32, 80, 350, 17},
     kWide},
    {PROGRESS_CLASSW, 0, WS_VISIBLE | PBS_VERTICAL | PBS_SMOOTH | WS_CLIPSIBLINGS, 0, IdOf(Control::CpuBar),
     {8, 104, 17, 278}, kTall},
    {WC_LISTVIEWW, 0,
     WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
         WS_CLIPSIBLINGS,
     WS_EX_CLIENTEDGE, IdOf(Control::ItemList), {32, 104, 350, 278}, win::kAnchorAll},
    {WC_STATICW, 0, WS_VISIBLE | SS_LEFT, 0, IdOf(Control::LimitMark), {0, 328, 32, 1}},
};

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceExists(const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  win::WindowDc screen(nullptr);
  ::EnumFontFamiliesExW(screen.get(), &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

MainWindow::MainWindow(MainWindowArgs args)
    : args_(std::move(args)),
      engine_(args_.items, args_.settings, *this, nullptr, args_.launcher, args_.report) {
  engine_.SetTimeline(args_.timeline);
  if (!args_.createMeter) args_.createMeter = [] { return std::make_unique<SystemTimesMeter>(); };
  if (!args_.endProgram) args_.endProgram = [] { ::ExitProcess(0); };
}

MainWindow::~MainWindow() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

bool MainWindow::Create(int showCommand) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&icc);
  if (!RegisterClassOnce(instance)) return false;
  if (!CreateFrame(instance, 0, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kClientSize)) return false;
  // Bottom right of the work area, out of the way of the windows the started
  // programs open.
  RECT work{}, frame{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(hwnd_, &frame);
  const int margin = Scale(8);
  const int x = std::max<int>(work.left, work.right - (frame.right - frame.left) - margin);
  const int y = std::max<int>(work.top, work.bottom - (frame.bottom - frame.top) - margin);
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  OnLoad();
  ::ShowWindow(hwnd_, showCommand);
  ::UpdateWindow(hwnd_);
  return true;
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_TIMER:
      if (wp == kTimerId) OnTick();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

win::Typeface MainWindow::TextFace() const { return {FaceExists(kDesignFace) ? kDesignFace : L"", true}; }

void MainWindow::OnCreate() {
  controls_.Create(hwnd_, kControls);
  titleLabel_ = controls_.Find(IdOf(Control::TitleLabel));
  statusLabel_ = controls_.Find(IdOf(Control::StatusLabel));
  progressBar_ = controls_.Find(IdOf(Control::ProgressBar));
  cpuBar_ = controls_.Find(IdOf(Control::CpuBar));
  itemList_ = controls_.Find(IdOf(Control::ItemList));
  limitMark_ = controls_.Find(IdOf(Control::LimitMark));
  // The program's name, the same in every language.
  ::SetWindowTextW(titleLabel_, kProgramTitle);
  // The mark lies across the processor bar: above it in the Z order.
  ::SetWindowPos(limitMark_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  markBrush_.reset(::CreateSolidBrush(kMarkColour));

  ::SendMessageW(cpuBar_, PBM_SETRANGE32, 0, 100);
  ListView_SetExtendedListViewStyle(itemList_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  stateImages_.reset(ListView_GetImageList(itemList_, LVSIL_STATE));
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = 100;
  ListView_InsertColumn(itemList_, 0, &column);
}

void MainWindow::MakeDpiResources() {
  // The list takes the new images before the old ones are released.
  win::ImageList images = sequencer::MakeTriangleImages(Scale(16));
  ListView_SetImageList(itemList_, images.get(), LVSIL_SMALL);
  ListView_SetImageList(itemList_, images.get(), LVSIL_NORMAL);
  images_ = std::move(images);
}

void MainWindow::OnLayout(int, int) {
  // The mark across the processor bar at the CPULimit level.
  RECT bar{};
  ::GetWindowRect(cpuBar_, &bar);
  ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&bar), 2);
  const int height = std::max(1, Scale(1));
  if (std::optional<int> top = sequencer::MarkTop(bar.top, bar.bottom - bar.top, height, args_.settings.cpuLimit))
    ::SetWindowPos(limitMark_, nullptr, 0, *top, Scale(32), height, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT inner{};
  ::GetClientRect(itemList_, &inner);
  ListView_SetColumnWidth(itemList_, 0, std::max<LONG>(inner.right - inner.left, 0));
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::OnLoad() {
  // Above the windows of the programs it starts, so that the run stays in view.
  ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  meter_ = args_.createMeter();
  engine_.SetMeter(meter_.get());

  ListView_DeleteAllItems(itemList_);
  const auto& items = args_.items;
  // A long sequence fills the list in one go: room for every row first, and
  // no redrawing until the last is in.
  ::SendMessageW(itemList_, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCount(itemList_, static_cast<int>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    std::wstring name = paths::Stem(items[i].title);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = name.data();
    item.iImage = itemicon::kWaiting - 1;
    item.lParam = static_cast<LPARAM>(i);
    ListView_InsertItem(itemList_, &item);
  }
  ::SendMessageW(itemList_, WM_SETREDRAW, TRUE, 0);
  ::SendMessageW(progressBar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(items.size()));
  ::SendMessageW(progressBar_, PBM_SETPOS, 0, 0);

  timerMs_ = sequence::TimerIntervalMs(args_.timerInterval);
  timerOn_ = ::SetTimer(hwnd_, kTimerId, static_cast<UINT>(timerMs_), nullptr) != 0;
  if (args_.report) args_.report->TimerStarted();
}

void MainWindow::OnDestroy() {
  StopTimer();
  engine_.Closed();
  engine_.SetMeter(nullptr);
  meter_.reset();
  if (args_.quitOnClose) ::PostQuitMessage(0);
}

void MainWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  RECT band{0, 0, std::max<LONG>(Scale(kBand.width), client.right), Scale(kBand.height)};
  ::FillRect(dc, &band, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  // A sunken edge closes the band off from the controls below.
  RECT edge{0, band.bottom - 1, band.right, band.bottom};
  ::FillRect(dc, &edge, ::GetSysColorBrush(COLOR_BTNSHADOW));
  if (logo_) {
    const int size = Scale(kLogoSide);
    ::DrawIconEx(dc, Scale(kLogoX), Scale(kLogoY), logo_.get(), size, size, 0, nullptr, DI_NORMAL);
  }
  ::EndPaint(hwnd_, &ps);
}

LRESULT MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  if (control == limitMark_) return reinterpret_cast<LRESULT>(markBrush_.get());
  ::SetBkColor(dc, RGB(255, 255, 255));
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
}

LRESULT MainWindow::OnNotify(NMHDR* header) {
  // The check marks follow the run, not the user's clicks.
  if (header->hwndFrom == itemList_ && header->code == LVN_ITEMCHANGING) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) && !ownCheckChange_ &&
        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) && (change->uOldState & LVIS_STATEIMAGEMASK))
      return TRUE;
  }
  return 0;
}

void MainWindow::OnTick() {
  // A start that runs a message loop of its own (the shell may) must not
  // deliver the next tick into this one.
  if (inTick_) return;
  inTick_ = true;
  engine_.Tick(timerMs_);
  inTick_ = false;
}

void MainWindow::ShowCpuLoad(double percent) {
  // The bar takes whole percent from 0 to 100; a reading beyond that is shown at the end.
  const double shown = std::clamp(std::isfinite(percent) ? percent : 0.0, 0.0, 100.0);
  ::SendMessageW(cpuBar_, PBM_SETPOS, static_cast<WPARAM>(std::lround(shown)), 0);
}

void MainWindow::SetCaption(const std::wstring& caption) { ::SetWindowTextW(hwnd_, caption.c_str()); }

void MainWindow::MarkStarted(int index) {
  // The check mark, the selection and the started icon in one change: one
  // round of notifications and one repaint of the row instead of three.
  LVITEMW item{};
  item.mask = LVIF_STATE | LVIF_IMAGE;
  item.iItem = index;
  item.state = INDEXTOSTATEIMAGEMASK(2) | LVIS_SELECTED | LVIS_FOCUSED;
  item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
  item.iImage = itemicon::kStarted - 1;
  ownCheckChange_ = true;
  ListView_SetItem(itemList_, &item);
  ownCheckChange_ = false;
  ListView_EnsureVisible(itemList_, index, FALSE);
}

void MainWindow::SetItemIcon(int index, int icon) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  item.iImage = icon - 1;
  ListView_SetItem(itemList_, &item);
}

void MainWindow::SetProgress(int value) { ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(value), 0); }

void MainWindow::RepaintNow() { ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void MainWindow::StopTimer() {
  if (timerOn_ && hwnd_) ::KillTimer(hwnd_, kTimerId);
  timerOn_ = false;
}

void MainWindow::EndProgram() { args_.endProgram(); }

}  // namespace sequencer
