#include "editor/win32/logon_page.h"

#include <commdlg.h>
#include <wincodec.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "common/path_rules.h"
#include "common/ui_text.h"
#include "common/win32/message_boxes.h"
#include "common/win32/raii.h"
#include "common/win32/shell_dialogs.h"
#include "editor/texts.h"

namespace editor {
namespace {

enum class Control { State, Picker, Previous, SavePicture, Picture, Facts };
using win::IdOf;

// Layout at 96 DPI in the page, whose design size is the editor's client
// area below the tabs: the picture takes what the page gains.
constexpr win::Size96 kDesign{640, 434};
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr unsigned kTopWide = win::kAnchorLeft | win::kAnchorTop | win::kAnchorRight;
constexpr unsigned kTopRight = win::kAnchorTop | win::kAnchorRight;
constexpr unsigned kBottomWide = win::kAnchorLeft | win::kAnchorRight | win::kAnchorBottom;
constexpr win::ControlSpec kControls[] = {
    {L"STATIC", 0, kLabel, 0, IdOf(Control::State), {8, 2, 624, 30}, kTopWide},
    {L"COMBOBOX", 0, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdOf(Control::Picker),
     {8, 34, 300, 200}},
    {L"STATIC", 0, kLabel, 0, IdOf(Control::Previous), {316, 38, 200, 18}},
    {L"BUTTON", texts::kSavePicture, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, IdOf(Control::SavePicture),
     {512, 33, 120, 24}, kTopRight},
    {L"STATIC", 0, kLabel | SS_ENDELLIPSIS, 0, IdOf(Control::Facts), {8, 412, 624, 18}, kBottomWide},
};
// The chart's window, made by ChartView and placed with the table's controls.
constexpr win::ControlSpec kPicture{L"", 0, 0, 0, IdOf(Control::Picture), {8, 62, 624, 344}, win::kAnchorAll};

bool HighContrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// In high contrast a role keeps to the system's colours and is told apart by
// its hatch (-1: solid) under an outline.
struct ContrastStyle {
  int colour;
  int hatch;
};
constexpr ContrastStyle kContrast[] = {
    {COLOR_GRAYTEXT, HS_HORIZONTAL},   {COLOR_HOTLIGHT, HS_DIAGCROSS},  {COLOR_GRAYTEXT, HS_VERTICAL},
    {COLOR_GRAYTEXT, HS_FDIAGONAL},    {COLOR_HIGHLIGHT, HS_BDIAGONAL}, {COLOR_GRAYTEXT, HS_CROSS},
    {COLOR_WINDOWTEXT, -1},            {COLOR_GRAYTEXT, -1},            {COLOR_HIGHLIGHT, -1},
    {COLOR_WINDOW, -1},                {COLOR_HOTLIGHT, -1},            {COLOR_HIGHLIGHT, HS_HORIZONTAL},
    {COLOR_HOTLIGHT, HS_DIAGCROSS},
};
constexpr COLORREF kPalette[] = {
    RGB(200, 200, 200), RGB(240, 160, 60), RGB(170, 140, 220), RGB(90, 170, 230), RGB(250, 220, 90),
    RGB(230, 130, 160), RGB(40, 150, 60),  RGB(120, 120, 120), RGB(40, 110, 200), RGB(200, 160, 40),
    RGB(210, 40, 40),   RGB(150, 215, 150), RGB(120, 0, 0),
};
static_assert(std::size(kPalette) == static_cast<std::size_t>(chart::Role::EndedEarly) + 1);
static_assert(std::size(kContrast) == std::size(kPalette));
constexpr COLORREF kUsageFill = RGB(200, 220, 245);
constexpr COLORREF kLimitLine = RGB(210, 40, 40);
constexpr COLORREF kGrid = RGB(225, 225, 225);
constexpr COLORREF kHotRow = RGB(235, 242, 252);
constexpr COLORREF kEmphasis = RGB(150, 30, 30);

std::wstring Seconds(std::int64_t ms) {
  wchar_t s[32];
  std::swprintf(s, std::size(s), L"%.1f", static_cast<double>(ms) / 1000.0);
  return s;
}

std::wstring RunEntry(const timeline::Run& run) {
  const timeline::LocalTime& t = run.began;
  wchar_t stamp[40];
  std::swprintf(stamp, std::size(stamp), L"%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return ui::Format(ui::Text(texts::kLogonRun), {stamp, Seconds(run.lengthMs), std::to_wstring(run.items.size())});
}

RECT Win(const chart::Rect& r) { return RECT{r.x, r.y, r.Right(), r.Bottom()}; }

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  win::GdiObject brush(CreateSolidBrush(colour));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

void Line(HDC dc, int x1, int y1, int x2, int y2, int style, int width, COLORREF colour) {
  win::GdiObject pen(CreatePen(style, width, colour));
  win::SelectedObject selected(dc, pen.get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void Text(HDC dc, const chart::Label& label, UINT align = DT_LEFT) {
  RECT r = Win(label.rect);
  DrawTextW(dc, label.text.c_str(), static_cast<int>(label.text.size()), &r,
            align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (label.clipped ? DT_END_ELLIPSIS : 0));
}

void DrawShape(HDC dc, const chart::Shape& shape, bool contrast) {
  const std::size_t role = static_cast<std::size_t>(shape.role);
  RECT r = Win(shape.rect);
  if (!contrast) {
    Fill(dc, r, kPalette[role]);
    return;
  }
  const ContrastStyle style = kContrast[role];
  win::GdiObject brush(style.hatch < 0 ? CreateSolidBrush(GetSysColor(style.colour))
                                       : CreateHatchBrush(style.hatch, GetSysColor(style.colour)));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
  FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWTEXT));
}

}  // namespace

COLORREF ChartColour(chart::Role role) { return kPalette[static_cast<std::size_t>(role)]; }

// ChartView ---------------------------------------------------------------

ChartView::~ChartView() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND ChartView::Create(HINSTANCE instance, HWND parent, int id) {
  if (!RegisterClassOnce(instance)) return nullptr;
  if (!CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL, 0, 0, 0, 0,
                       parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this))
    return nullptr;
  // The shared class registration has no double-clicks; a row's opens the item.
  SetClassLongPtrW(hwnd_, GCL_STYLE, GetClassLongPtrW(hwnd_, GCL_STYLE) | CS_DBLCLKS);
  return hwnd_;
}

void ChartView::SetRun(const timeline::Run* run) {
  run_ = run;
  scroll_ = 0;
  Hover(std::nullopt);
  Relayout();
}

// The chart for the client area as it is, and the scroll bar for its rows.
void ChartView::Relayout() {
  if (!hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  chart_ = chart::Chart{};
  if (run_ && client.right > 0 && client.bottom > 0) {
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    // Measured in bold, so that the emphasised titles fit the column too.
    win::SelectedObject font(dc.get(), bold_ ? bold_.get() : font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    const chart::Metrics metrics{static_cast<int>(tm.tmHeight), [&dc](std::wstring_view s) {
                                   SIZE size{};
                                   GetTextExtentPoint32W(dc.get(), s.data(), static_cast<int>(s.size()), &size);
                                   return static_cast<int>(size.cx);
                                 }};
    chart_ = chart::Layout(*run_, client.right, client.bottom, metrics);
  }
  if (hot_ && *hot_ >= chart_.rows.size()) hot_.reset();
  scroll_ = std::clamp(scroll_, 0, std::max(0, chart_.height - static_cast<int>(client.bottom)));
  // Always there, so that the client width does not change with the rows.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  si.nMax = std::max(0, chart_.height - 1);
  si.nPage = static_cast<UINT>(client.bottom);
  si.nPos = scroll_;
  SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ChartView::ScrollTo(int y) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int to = std::clamp(y, 0, std::max(0, chart_.height - static_cast<int>(client.bottom)));
  if (to == scroll_) return;
  scroll_ = to;
  SetScrollPos(hwnd_, SB_VERT, scroll_, TRUE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ChartView::Hover(std::optional<std::size_t> row) {
  if (row == hot_) return;
  hot_ = row;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
  if (events_.hovered) events_.hovered(row ? std::optional(chart_.rows[*row].item) : std::nullopt);
}

// The arrow keys pick the rows in turn and keep the picked one in view.
void ChartView::OnKey(WPARAM key) {
  if (chart_.rows.empty()) return;
  const std::size_t last = chart_.rows.size() - 1;
  std::size_t row = hot_.value_or(0);
  if (key == VK_UP && hot_ && row > 0) --row;
  else if (key == VK_DOWN && hot_ && row < last) ++row;
  else if (key == VK_HOME) row = 0;
  else if (key == VK_END) row = last;
  else if (key == VK_RETURN) {
    if (hot_ && events_.opened) events_.opened(chart_.rows[row].item);
    return;
  } else if (key != VK_UP && key != VK_DOWN) return;
  Hover(row);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const chart::Rect& r = chart_.rows[row].rect;
  if (r.y < scroll_) ScrollTo(r.y);
  else if (r.Bottom() > scroll_ + client.bottom) ScrollTo(r.Bottom() - client.bottom);
}

HBITMAP ChartView::Picture() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (client.right <= 0 || client.bottom <= 0) return nullptr;
  win::WindowDc screen(nullptr);
  win::MemoryDc dc(CreateCompatibleDC(screen.get()));
  HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), client.right, client.bottom);
  if (!dc || !bitmap) return bitmap;
  win::SelectedObject selected(dc.get(), bitmap);
  Draw(dc.get(), client.right, client.bottom);
  return bitmap;
}

// Painted whole into memory first, then copied: no flicker while hovering.
void ChartView::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client{};
  GetClientRect(hwnd_, &client);
  win::MemoryDc memory(CreateCompatibleDC(dc));
  win::GdiObject bitmap(CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom)));
  if (memory && bitmap) {
    win::SelectedObject selected(memory.get(), bitmap.get());
    Draw(memory.get(), client.right, client.bottom);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

void ChartView::Draw(HDC dc, int width, int height) const {
  const bool contrast = HighContrast();
  const COLORREF text = contrast ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0);
  const RECT all{0, 0, width, height};
  Fill(dc, all, contrast ? GetSysColor(COLOR_WINDOW) : RGB(255, 255, 255));
  if (chart_.rows.empty() && chart_.usage.empty() && chart_.ticks.empty()) return;
  // The chart's own coordinates from here: its rows scrolled up.
  POINT origin{};
  SetViewportOrgEx(dc, 0, -scroll_, &origin);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  win::SelectedObject font(dc, font_);

  // The usage as a filled area down to the band's bottom, the limit across it.
  if (!chart_.usage.empty()) {
    std::vector<POINT> area;
    for (const chart::Point& p : chart_.usage) area.push_back(POINT{p.x, p.y});
    area.push_back(POINT{chart_.usage.back().x, chart_.band.Bottom()});
    area.push_back(POINT{chart_.usage.front().x, chart_.band.Bottom()});
    win::GdiObject brush(contrast ? CreateHatchBrush(HS_BDIAGONAL, GetSysColor(COLOR_GRAYTEXT))
                                  : CreateSolidBrush(kUsageFill));
    win::SelectedObject b(dc, brush.get());
    SetDCPenColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    win::SelectedObject p(dc, GetStockObject(contrast ? DC_PEN : NULL_PEN));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    Polygon(dc, area.data(), static_cast<int>(area.size()));
  }
  const RECT band = Win(chart_.band);
  FrameRect(dc, &band, GetSysColorBrush(contrast ? COLOR_WINDOWTEXT : COLOR_BTNSHADOW));
  Line(dc, chart_.band.x, chart_.limitY, chart_.band.Right(), chart_.limitY, contrast ? PS_SOLID : PS_DASH,
       contrast ? 2 : 1, contrast ? GetSysColor(COLOR_HOTLIGHT) : kLimitLine);

  for (const chart::Tick& t : chart_.ticks) {
    Line(dc, t.x, chart_.band.y, t.x, chart_.height, PS_SOLID, 1, contrast ? GetSysColor(COLOR_GRAYTEXT) : kGrid);
    Text(dc, t.label, DT_CENTER);
  }

  for (std::size_t i = 0; i < chart_.rows.size(); ++i) {
    const chart::Row& row = chart_.rows[i];
    RECT r = Win(row.rect);
    if (hot_ == i) {
      if (contrast) FrameRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
      else Fill(dc, r, kHotRow);
    }
    // The longest wait and the heaviest start stand out: bold, and red unless in high contrast.
    const bool emphasised = row.waitedLongest || row.heaviest;
    {
      win::SelectedObject bold(dc, emphasised ? bold_.get() : nullptr);
      SetTextColor(dc, emphasised ? (contrast ? GetSysColor(COLOR_HOTLIGHT) : kEmphasis) : text);
      const std::wstring& title = run_->items[row.item].title;
      RECT t = Win(row.title);
      DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &t,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      SetTextColor(dc, text);
    }
    for (const chart::Shape& shape : row.shapes) DrawShape(dc, shape, contrast);
    if (row.label) Text(dc, *row.label);
  }
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

LRESULT ChartView::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      Draw(reinterpret_cast<HDC>(wp), client.right, client.bottom);
      return 0;
    }
    case WM_SETFONT: {
      font_ = reinterpret_cast<HFONT>(wp);
      LOGFONTW lf{};
      if (GetObjectW(font_, sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        bold_.reset(CreateFontIndirectW(&lf));
      }
      Relayout();
      return 0;
    }
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
      TrackMouseEvent(&track);
      Hover(chart::RowAt(chart_, GET_X_LPARAM(lp), GET_Y_LPARAM(lp) + scroll_));
      return 0;
    }
    case WM_MOUSELEAVE:
      Hover(std::nullopt);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd_);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (const auto row = chart::RowAt(chart_, GET_X_LPARAM(lp), GET_Y_LPARAM(lp) + scroll_); row && events_.opened)
        events_.opened(chart_.rows[*row].item);
      return 0;
    case WM_GETDLGCODE: {
      // The arrows pick rows, Enter opens the picked one.
      const MSG* m = reinterpret_cast<const MSG*>(lp);
      return DLGC_WANTARROWS | (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
      OnKey(wp);
      return 0;
    case WM_MOUSEWHEEL: {
      TEXTMETRICW tm{};
      win::WindowDc dc(hwnd_);
      win::SelectedObject font(dc.get(), font_);
      GetTextMetricsW(dc.get(), &tm);
      ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wp) * 3 * static_cast<int>(tm.tmHeight) / WHEEL_DELTA);
      return 0;
    }
    case WM_VSCROLL: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_ALL;
      GetScrollInfo(hwnd_, SB_VERT, &si);
      const int line = std::max(1, static_cast<int>(si.nPage) / 10);
      switch (LOWORD(wp)) {
        case SB_LINEUP: ScrollTo(scroll_ - line); break;
        case SB_LINEDOWN: ScrollTo(scroll_ + line); break;
        case SB_PAGEUP: ScrollTo(scroll_ - static_cast<int>(si.nPage)); break;
        case SB_PAGEDOWN: ScrollTo(scroll_ + static_cast<int>(si.nPage)); break;
        case SB_THUMBTRACK: ScrollTo(si.nTrackPos); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(chart_.height); break;
        default: break;
      }
      return 0;
    }
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

// LogonPage ---------------------------------------------------------------

LogonPage::LogonPage(LogonPageArgs args)
    : args_(std::move(args)),
      view_({[this](std::optional<std::size_t> item) {
               const int run = static_cast<int>(SendMessageW(Picker(), CB_GETCURSEL, 0, 0));
               const bool known = item && run >= 0 && static_cast<std::size_t>(run) < runs_.size();
               SetWindowTextW(FactsLine(), known ? chart::FactsText(runs_[run].items[*item]).c_str() : L"");
             },
             [this](std::size_t item) {
               const int run = static_cast<int>(SendMessageW(Picker(), CB_GETCURSEL, 0, 0));
               if (run >= 0 && static_cast<std::size_t>(run) < runs_.size() && args_.showItem)
                 args_.showItem(runs_[run].items[item].position);
             }}) {}

LogonPage::~LogonPage() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool LogonPage::Create(HWND parent) {
  if (!RegisterClassOnce(args_.instance)) return false;
  if (!CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr,
                       args_.instance, this))
    return false;
  if (!controls_.Create(hwnd_, kControls)) return false;
  HWND picture = view_.Create(args_.instance, hwnd_, kPicture.id);
  if (!picture) return false;
  controls_.Adopt(picture, kPicture);
  Reload();
  return true;
}

void LogonPage::Layout(const RECT& rect, UINT dpi, const win::Fonts& fonts) {
  SetWindowPos(hwnd_, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, SWP_NOACTIVATE);
  controls_.SetFonts(fonts);
  controls_.Layout(dpi, kDesign, SIZE{rect.right - rect.left, rect.bottom - rect.top});
}

void LogonPage::Show(bool shown) {
  if (shown) Reload();
  ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE);
}

HWND LogonPage::Picker() const { return controls_.Find(IdOf(Control::Picker)); }
HWND LogonPage::StateLine() const { return controls_.Find(IdOf(Control::State)); }
HWND LogonPage::FactsLine() const { return controls_.Find(IdOf(Control::Facts)); }

void LogonPage::Reload() {
  view_.SetRun(nullptr);
  runs_.clear();
  const std::wstring path = paths::Join(args_.folder, L"Tarvoline" + std::wstring(timeline::kFileSuffix));
  std::wstring state;
  if (!args_.files.IsOrdinaryFile(paths::Join(args_.folder, L"Tarvoline.exe"))) {
    state = ui::Format(ui::Text(texts::kLogonNoTarvoline), {args_.folder});
  } else if (const std::optional<std::string> bytes =
                 args_.files.ReadAtMost(path, timeline::kMostFileBytes, nullptr)) {
    timeline::ReadResult read = timeline::Read(*bytes);
    runs_.assign(std::make_move_iterator(read.runs.rbegin()), std::make_move_iterator(read.runs.rend()));
    state = ui::Format(ui::Text(runs_.empty() ? texts::kLogonNoRuns : texts::kLogonFile),
                       {path, std::to_wstring(runs_.size())});
    // What was skipped is named on a line of its own.
    for (std::size_t i = 0; i < read.skipped.size(); ++i)
      state += (i ? L"  " : L"\r\n") + timeline::SkippedText(read.skipped[i]);
  } else {
    state = ui::Format(ui::Text(args_.files.Exists(path) ? texts::kUnreadable : texts::kLogonNoFile), {path});
  }
  SetWindowTextW(StateLine(), state.c_str());
  HWND picker = Picker();
  SendMessageW(picker, CB_RESETCONTENT, 0, 0);
  for (const timeline::Run& run : runs_)
    SendMessageW(picker, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(RunEntry(run).c_str()));
  SendMessageW(picker, CB_SETCURSEL, runs_.empty() ? static_cast<WPARAM>(-1) : 0, 0);
  EnableWindow(picker, !runs_.empty());
  EnableWindow(controls_.Find(IdOf(Control::SavePicture)), !runs_.empty());
  ShowRun();
}

void LogonPage::ShowRun() {
  const LRESULT i = SendMessageW(Picker(), CB_GETCURSEL, 0, 0);
  const bool picked = i >= 0 && static_cast<std::size_t>(i) < runs_.size();
  view_.SetRun(picked ? &runs_[i] : nullptr);
  std::wstring previous;
  if (picked)
    previous = static_cast<std::size_t>(i) + 1 < runs_.size()
                   ? ui::Format(ui::Text(texts::kLogonPrevious), {Seconds(runs_[i + 1].lengthMs)})
                   : ui::Text(texts::kLogonNoPrevious);
  SetWindowTextW(controls_.Find(IdOf(Control::Previous)), previous.c_str());
  SetWindowTextW(FactsLine(), L"");
}

void LogonPage::OnCommand(int id, int code) {
  if (id == IdOf(Control::Picker) && code == CBN_SELCHANGE) ShowRun();
  if (id == IdOf(Control::SavePicture) && code == BN_CLICKED) OnSavePicture();
}

void LogonPage::OnSavePicture() {
  const std::optional<std::wstring> path =
      win::PickFileToSave(GetAncestor(hwnd_, GA_ROOT), {ui::Text(texts::kPictureFilter), L"", L"", L"png", OFN_OVERWRITEPROMPT});
  if (!path) return;
  if (const HRESULT hr = SavePicture(*path); FAILED(hr))
    args_.messages.Show(ui::Format(ui::Text(texts::kPictureNotSaved), {*path, win::SystemErrorText(static_cast<DWORD>(hr))}),
                        ui::MessageIcon::Critical);
}

HRESULT LogonPage::SavePicture(const std::wstring& path) {
  win::GdiObject bitmap(view_.Picture());
  if (!bitmap) return E_OUTOFMEMORY;
  // The thread may have COM already (the editor's OLE); only a call of ours is undone.
  win::ComInit com(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  IWICImagingFactory* factory = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  win::ComPtr<IWICImagingFactory> factoryOwned(factory);
  IWICBitmap* source = nullptr;
  if (SUCCEEDED(hr))
    hr = factory->CreateBitmapFromHBITMAP(static_cast<HBITMAP>(bitmap.get()), nullptr, WICBitmapIgnoreAlpha, &source);
  win::ComPtr<IWICBitmap> sourceOwned(source);
  IWICStream* stream = nullptr;
  if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
  win::ComPtr<IWICStream> streamOwned(stream);
  bool created = false;
  if (SUCCEEDED(hr)) created = SUCCEEDED(hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
  IWICBitmapEncoder* encoder = nullptr;
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
  win::ComPtr<IWICBitmapEncoder> encoderOwned(encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  IWICBitmapFrameEncode* frame = nullptr;
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
  win::ComPtr<IWICBitmapFrameEncode> frameOwned(frame);
  UINT width = 0, height = 0;
  if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
  if (SUCCEEDED(hr)) hr = source->GetSize(&width, &height);
  if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);
  // The encoder answers with the nearest format it writes; the pixels are converted to it.
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  IWICBitmapSource* converted = nullptr;
  if (SUCCEEDED(hr)) hr = WICConvertBitmapSource(format, source, &converted);
  win::ComPtr<IWICBitmapSource> convertedOwned(converted);
  if (SUCCEEDED(hr)) hr = frame->WriteSource(converted, nullptr);
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  if (FAILED(hr) && created) {
    // No half-written picture is left behind.
    frameOwned.reset();
    encoderOwned.reset();
    streamOwned.reset();
    DeleteFileW(path.c_str());
  }
  return hr;
}

LRESULT LogonPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) {
    OnCommand(LOWORD(wp), HIWORD(wp));
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace editor
