#include "sequencer/win32/frm_main.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "common/path_rules.h"
#include "common/tool.h"
#include "common/ui_text.h"
#include "common/win32/dpi.h"
#include "sequencer/win32/disp_form_top.h"
#include "sequencer/win32/pdh9xnt.h"
#include "sequencer/win32/resource.h"
#include "sequencer/win32/triangle_images.h"
#include "sequencer/texts.h"

namespace {

const wchar_t kTitleText[] = L"Tarvoline";
constexpr UINT_PTR kTimerId = 1;
constexpr COLORREF kLineColour = RGB(128, 128, 255);
// The design face; the system's Japanese UI face stands in where it is missing.
const wchar_t kDesignFace[] = L"ＭＳ Ｐゴシック";

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

std::wstring UiFace() {
  if (FaceExists(kDesignFace)) return kDesignFace;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) && metrics.lfMessageFont.lfFaceName[0])
    return metrics.lfMessageFont.lfFaceName;
  return L"MS UI Gothic";
}

HFONT MakeFont(const std::wstring& face, int points, bool bold, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -::MulDiv(points, dpi, 72);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  return ::CreateFontIndirectW(&lf);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* textValue, DWORD style, DWORD exStyle = 0) {
  return ::CreateWindowExW(exStyle, cls, textValue, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

void Place(HWND control, const layout::Rect& r) {
  ::SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

frmMain::frmMain(FrmMainArgs args)
    : args_(std::move(args)),
      engine_(args_.items, args_.settings, *this, nullptr, args_.launcher, args_.report) {
  if (!args_.createMeter) args_.createMeter = [](std::unique_ptr<CpuMeter>& m) { Pdh9XNT::CreateCpuMeter(m); };
  if (!args_.endProgram) args_.endProgram = [] { ::ExitProcess(0); };
}

frmMain::~frmMain() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

bool frmMain::Create(int showCommand) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{};
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARVOLINE), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_SHARED));
  wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARVOLINE), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
  if (!RegisterClassOnce(instance, wc)) return false;
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  if (!CreateFrame(instance, 0, L"", style, 400, 400)) return false;
  // The client area is 5730 × 5730 twips at the window's own DPI.
  const int client = layout::Px(layout::kClientTwips, dpi_);
  SIZE outer = win::OuterSize(style, 0, client, client, static_cast<UINT>(dpi_));
  // Bottom right of the work area, out of the way of the windows the started
  // programs open.
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int margin = Scale(8);
  const int x = std::max<int>(work.left, work.right - outer.cx - margin);
  const int y = std::max<int>(work.top, work.bottom - outer.cy - margin);
  ::SetWindowPos(hwnd_, nullptr, x, y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  Form_Load();
  ::ShowWindow(hwnd_, showCommand);
  ::UpdateWindow(hwnd_);
  return true;
}

LRESULT frmMain::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      Form_Resize(wp, LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_TIMER:
      if (wp == kTimerId) tmrTimer_Timer();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DESTROY:
      Form_Unload();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

void frmMain::OnCreate() {
  dpi_ = static_cast<int>(win::WindowDpi(hwnd_));
  face_ = UiFace();
  titleLabel_ = Child(hwnd_, WC_STATICW, kTitleText, SS_NOPREFIX | SS_LEFT);
  statusLabel_ = Child(hwnd_, WC_STATICW, ui::Text(sequencer::texts::kBusy).c_str(), SS_NOPREFIX | SS_LEFT | SS_ENDELLIPSIS);
  pbProgress_ = Child(hwnd_, PROGRESS_CLASSW, nullptr, PBS_SMOOTH | WS_CLIPSIBLINGS);
  pbCPU_ = Child(hwnd_, PROGRESS_CLASSW, nullptr, PBS_VERTICAL | PBS_SMOOTH | WS_CLIPSIBLINGS);
  lvApp_ = Child(hwnd_, WC_LISTVIEWW, nullptr,
                 LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                     WS_CLIPSIBLINGS,
                 WS_EX_CLIENTEDGE);
  // The mark lies across the processor bar: above it in the Z order.
  lineBar_ = Child(hwnd_, WC_STATICW, nullptr, SS_LEFT);
  ::SetWindowPos(lineBar_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  lineBrush_.reset(::CreateSolidBrush(kLineColour));

  ::SendMessageW(pbCPU_, PBM_SETRANGE32, 0, 100);
  ListView_SetExtendedListViewStyle(lvApp_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  stateImages_.reset(ListView_GetImageList(lvApp_, LVSIL_STATE));
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = 100;
  ListView_InsertColumn(lvApp_, 0, &column);

  layout_ = layout::Design(dpi_, args_.settings.CPULimit);
  MakeDpiResources();
  ApplyLayout();
}

void frmMain::MakeDpiResources() {
  // The controls take the new fonts and images before the old ones are released.
  win::GdiObject title(MakeFont(face_, 12, true, dpi_));
  win::GdiObject body(MakeFont(face_, 9, false, dpi_));
  ::SendMessageW(titleLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(title.get()), TRUE);
  ::SendMessageW(statusLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(body.get()), TRUE);
  ::SendMessageW(lvApp_, WM_SETFONT, reinterpret_cast<WPARAM>(body.get()), TRUE);
  titleFont_ = std::move(title);
  textFont_ = std::move(body);

  win::ImageList images = images::MakeTriangleImages(Scale(16));
  ListView_SetImageList(lvApp_, images.get(), LVSIL_SMALL);
  ListView_SetImageList(lvApp_, images.get(), LVSIL_NORMAL);
  images_ = std::move(images);

  const int iconSize = Scale(32);
  HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARVOLINE),
                                               IMAGE_ICON, iconSize, iconSize, 0));
  // A program without the icon resource (the tests) shows the system's application icon.
  if (!icon) icon = ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
  icon_.reset(icon);
}

void frmMain::ApplyLayout() {
  Place(titleLabel_, layout_.titleLabel);
  // The busy text may run up to the icon, so that wider UI faces are not cut.
  layout::Rect status = layout_.statusLabel;
  status.width = std::max(status.width, layout_.image1.left - status.left - Scale(4));
  status.height = std::max(status.height, Scale(15));
  Place(statusLabel_, status);
  Place(pbProgress_, layout_.pbProgress);
  Place(pbCPU_, layout_.pbCPU);
  Place(lvApp_, layout_.lvApp);
  Place(lineBar_, layout_.lineBar);
  RECT inner{};
  ::GetClientRect(lvApp_, &inner);
  ListView_SetColumnWidth(lvApp_, 0, std::max<LONG>(inner.right - inner.left, 0));
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmMain::Form_Load() {
  DispFormTop::SetFormTopMost(hwnd_, 1);
  args_.createMeter(meter_);
  engine_.SetMeter(meter_.get());

  ListView_DeleteAllItems(lvApp_);
  const auto& items = args_.items;
  // A long sequence fills the list in one go: room for every row first, and
  // no redrawing until the last is in.
  ::SendMessageW(lvApp_, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCount(lvApp_, static_cast<int>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    std::wstring name = paths::Stem(items[i].Title);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = name.data();
    item.iImage = itemicon::kWaiting - 1;
    item.lParam = static_cast<LPARAM>(i);
    ListView_InsertItem(lvApp_, &item);
  }
  ::SendMessageW(lvApp_, WM_SETREDRAW, TRUE, 0);
  ::SendMessageW(pbProgress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(items.size()));
  ::SendMessageW(pbProgress_, PBM_SETPOS, 0, 0);

  timerMs_ = sequence::TimerIntervalMs(args_.timerInterval);
  timerOn_ = ::SetTimer(hwnd_, kTimerId, static_cast<UINT>(timerMs_), nullptr) != 0;
  if (args_.report) args_.report->TimerStarted();
}

void frmMain::Form_Resize(WPARAM kind, int width, int height) {
  if (kind == SIZE_MINIMIZED || !lvApp_) return;
  layout::Resize(layout_, width, height, dpi_, args_.settings.CPULimit);
  ApplyLayout();
}

void frmMain::Form_Unload() {
  StopTimer();
  engine_.Closed();
  engine_.SetMeter(nullptr);
  meter_.reset();
  if (args_.quitOnClose) ::PostQuitMessage(0);
}

void frmMain::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT band{0, 0, layout_.band.width, layout_.band.height};
  ::FillRect(dc, &band, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  // A sunken edge closes the band off from the controls below.
  RECT edge{0, band.bottom - 1, band.right, band.bottom};
  ::FillRect(dc, &edge, ::GetSysColorBrush(COLOR_BTNSHADOW));
  if (icon_) {
    const int size = Scale(32);
    ::DrawIconEx(dc, layout_.image1.left, layout_.image1.top, icon_.get(), size, size, 0, nullptr, DI_NORMAL);
  }
  ::EndPaint(hwnd_, &ps);
}

void frmMain::OnDpiChanged(UINT dpi, const RECT* suggested) {
  dpi_ = static_cast<int>(dpi);
  layout_ = layout::Design(dpi_, args_.settings.CPULimit);
  MakeDpiResources();
  ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  Form_Resize(SIZE_RESTORED, client.right, client.bottom);
}

LRESULT frmMain::OnCtlColorStatic(HDC dc, HWND control) {
  if (control == lineBar_) return reinterpret_cast<LRESULT>(lineBrush_.get());
  ::SetBkColor(dc, RGB(255, 255, 255));
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
}

LRESULT frmMain::OnNotify(NMHDR* header) {
  // The check marks follow the run, not the user's clicks.
  if (header->hwndFrom == lvApp_ && header->code == LVN_ITEMCHANGING) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) && !ownCheckChange_ &&
        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) && (change->uOldState & LVIS_STATEIMAGEMASK))
      return TRUE;
  }
  return 0;
}

void frmMain::tmrTimer_Timer() {
  // A start that runs a message loop of its own (the shell may) must not
  // deliver the next tick into this one.
  if (inTick_) return;
  inTick_ = true;
  engine_.Tick(timerMs_);
  inTick_ = false;
}

void frmMain::ShowCpuLoad(double percent) {
  // The bar takes whole percent from 0 to 100; a reading beyond that is shown at the end.
  const double shown = std::clamp(std::isfinite(percent) ? percent : 0.0, 0.0, 100.0);
  ::SendMessageW(pbCPU_, PBM_SETPOS, static_cast<WPARAM>(std::lround(shown)), 0);
}

void frmMain::SetCaption(const std::wstring& caption) { ::SetWindowTextW(hwnd_, caption.c_str()); }

void frmMain::MarkStarted(int index) {
  // The check mark, the selection and the started icon in one change: one
  // round of notifications and one repaint of the row instead of three.
  LVITEMW item{};
  item.mask = LVIF_STATE | LVIF_IMAGE;
  item.iItem = index;
  item.state = INDEXTOSTATEIMAGEMASK(2) | LVIS_SELECTED | LVIS_FOCUSED;
  item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
  item.iImage = itemicon::kStarted - 1;
  ownCheckChange_ = true;
  ListView_SetItem(lvApp_, &item);
  ownCheckChange_ = false;
  ListView_EnsureVisible(lvApp_, index, FALSE);
}

void frmMain::SetItemIcon(int index, int icon) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  item.iImage = icon - 1;
  ListView_SetItem(lvApp_, &item);
}

void frmMain::SetProgress(int value) { ::SendMessageW(pbProgress_, PBM_SETPOS, static_cast<WPARAM>(value), 0); }

void frmMain::RepaintNow() { ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void frmMain::StopTimer() {
  if (timerOn_ && hwnd_) ::KillTimer(hwnd_, kTimerId);
  timerOn_ = false;
}

void frmMain::EndProgram() { args_.endProgram(); }
