#include "frm_main.h"

#include <commctrl.h>

#include <vector>

#include "common/path_rules.h"
#include "common/startup_approval.h"
#include "common/text.h"
#include "common/tool.h"
#include "common/ui_text.h"
#include "common/win32/dpi.h"
#include "common/win32/draw.h"
#include "control_ids.h"
#include "generation.h"
#include "texts.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace wizard {

namespace {

constexpr wchar_t kPageClass[] = L"TVLpreparerPage";
constexpr UINT_PTR kFolderBoxSubclass = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// Layout at 96 DPI, in pixels (the design's twips divided by 15).
constexpr int kClientWidth = 512;   // 7680
constexpr int kClientHeight = 353;  // 5295
constexpr RECT kTitleBand = {0, 0, 513, 73};
constexpr int kImageX = 432, kImageY = 8, kImageSize = 56;
constexpr int kIconSize = 48;  // centred in Image1's square
constexpr int kLine2Y = 72;  // under the title band
constexpr int kLine1Y = 312; // above the buttons
}  // namespace

// A control as designed: its parent, class, text, styles, id and rectangle
// at 96 DPI in the parent's client area.
struct ControlArgs {
  HWND parent;
  const wchar_t* windowClass;
  std::wstring text;
  DWORD style;
  DWORD exStyle;
  int id;
  int x, y, width, height;
  bool titleFont = false;
};

// Every control with its design, so that a DPI change can lay it out anew.
struct PlacedControl {
  HWND hwnd;
  ControlArgs args;
};

FrmMain::FrmMain(FrmMainServices services) : s_(std::move(services)) {}

FrmMain::~FrmMain() {
  if (hwnd_) {
    s_.onEnded = nullptr;  // the owner is going away: nothing more to tell
    DestroyWindow(hwnd_);
  }
}

bool FrmMain::Create(HINSTANCE instance, int showCommand) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  // The page panels: plain windows that pass their controls' notifications on.
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, kPageClass, &existing)) {
    WNDCLASSEXW page = wc;
    page.lpfnWndProc = PageProc;
    page.lpszClassName = kPageClass;
    if (!RegisterClassExW(&page)) return false;
  }
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  if (!RegisterClassOnce(instance, wc)) return false;
  HWND hwnd = CreateFrame(instance, kExStyle, s_.caption.c_str(), kStyle, kClientWidth, kClientHeight);
  if (!hwnd) return false;
  Form_Load();
  ShowWindow(hwnd, showCommand);
  if (showCommand != SW_HIDE) UpdateWindow(hwnd);
  return true;
}

HWND FrmMain::FindControl(int id) const {
  if (!hwnd_) return nullptr;
  if (HWND direct = GetDlgItem(hwnd_, id)) return direct;
  for (HWND page : pages_)
    if (HWND child = page ? GetDlgItem(page, id) : nullptr) return child;
  HWND host = GetDlgItem(hwnd_, ids::kPageHost);
  return host ? GetDlgItem(host, id) : nullptr;
}

int FrmMain::RunMessageLoop(HWND window) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsWindow(window) && IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void FrmMain::OnWindowGone() {
  if (s_.onEnded) s_.onEnded();
}

// Page panels and the page host pass their controls' notifications on to the
// window, which handles every control alike.
LRESULT CALLBACK FrmMain::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY) {
    if (HWND root = GetAncestor(hwnd, GA_ROOT); root && root != hwnd)
      return SendMessageW(root, message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FrmMain::FolderBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  if (message == WM_KILLFOCUS) {
    // Validation runs only when the focus moves to another control of the
    // wizard, not when the user switches to another program.
    auto* self = reinterpret_cast<FrmMain*>(data);
    HWND next = reinterpret_cast<HWND>(wParam);
    if (next && self->hwnd_ && IsChild(self->hwnd_, next)) self->txtStartupFolder_Validate();
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(box, FolderBoxProc, kFolderBoxSubclass);
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT FrmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case DM_GETDEFID:
      return MAKELRESULT(ids::kNext, DC_HASDEFID);
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

int FrmMain::S(int v) const { return MulDiv(v, static_cast<int>(dpi_), 96); }

void FrmMain::MakeFonts() {
  // The face of the user's language; where it is missing the font mapper
  // picks the closest one.
  const std::wstring face = ui::Text(texts::kFontFace);
  font_.reset(CreateFontW(-MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, face.c_str()));
  titleFont_.reset(CreateFontW(-MulDiv(12, static_cast<int>(dpi_), 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, face.c_str()));
}

// Image1: the program's icon at the size the DPI asks for (none in a
// program without one, such as the tests).
void FrmMain::LoadPicture() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  const int size = S(kIconSize);
  icon_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, size, size, 0)));
}

void FrmMain::OnCreate() {
  dpi_ = win::WindowDpi(hwnd_);
  white_.reset(CreateSolidBrush(RGB(255, 255, 255)));
  MakeFonts();
  LoadPicture();
  CreateControls();
  Layout();
}

void FrmMain::CreateControls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  auto& placed = placed_;
  placed.clear();
  auto make = [&](const ControlArgs& a) {
    HWND h = CreateWindowExW(a.exStyle, a.windowClass, a.text.c_str(), a.style | WS_CHILD, 0, 0, 0, 0, a.parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(a.id)), instance, nullptr);
    if (h) placed.push_back({h, a});
    return h;
  };
  constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  constexpr DWORD kBox = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

  make({hwnd_, L"STATIC", ui::Text(texts::kTitleBand), kLabel, 0, ids::kTitle, 8, 8, 340, 18, true});
  HWND host = make({hwnd_, kPageClass, L"", WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, ids::kPageHost,
                    8, 80, 497, 217});
  for (int i = 0; i < PageFlow::kPageCount; ++i)
    pages_[i] = make({host, kPageClass, L"", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                      ids::PageId(i), 0, 0, 489, 217});

  make({pages_[0], L"STATIC", ui::Text(texts::kWelcome), kLabel, 0, ids::kWelcomeText, 8, 8, 473, 200});

  make({pages_[1], L"STATIC", ui::Text(texts::kFolderLabel), kLabel, 0, ids::kFolderLabel, 8, 8, 473, 16});
  HWND folderBox =
      make({pages_[1], L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, ids::kStartupFolder, 8, 28, 384, 22});
  make({pages_[1], L"BUTTON", ui::Text(texts::kBrowse), kButton, 0, ids::kBrowseFolder, 400, 27, 81, 24});
  if (TakeOverOffered()) {
    make({pages_[1], L"STATIC", ui::Text(texts::kFolderHelp), kLabel, 0, ids::kFolderHelp, 8, 64, 473, 92});
    constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE;
    HWND run = make({pages_[1], L"BUTTON", ui::Text(texts::kOptTakeRun), kCheck, 0, ids::kOptTakeRun, 8, 160, 473, 22});
    HWND off = make({pages_[1], L"BUTTON", ui::Text(texts::kOptSwitchOff), kCheck, 0, ids::kOptSwitchOff, 8, 186, 473, 22});
    if (run) SendMessageW(run, BM_SETCHECK, BST_CHECKED, 0);
    if (off) SendMessageW(off, BM_SETCHECK, BST_CHECKED, 0);
  } else {
    make({pages_[1], L"STATIC", ui::Text(texts::kFolderHelp), kLabel, 0, ids::kFolderHelp, 8, 64, 473, 145});
  }
  if (folderBox) SetWindowSubclass(folderBox, FolderBoxProc, kFolderBoxSubclass, reinterpret_cast<DWORD_PTR>(this));

  make({pages_[2], L"STATIC", ui::Text(texts::kFileLabel), kLabel, 0, ids::kFileLabel, 8, 8, 473, 16});
  make({pages_[2], L"EDIT", L"", kBox, WS_EX_CLIENTEDGE, ids::kSequenceFile, 8, 28, 384, 22});
  make({pages_[2], L"BUTTON", ui::Text(texts::kBrowse), kButton, 0, ids::kBrowseFile, 400, 27, 81, 24});
  make({pages_[2], L"STATIC", ui::Text(texts::kFileHelp), kLabel, 0, ids::kFileHelp, 8, 64, 473, 145});

  // The information page: the browser control, or its text where there is none.
  const ControlArgs infoArgs{pages_[3], L"", L"", 0, 0, ids::kInfo, 8, 8, 473, 169};
  if (HWND info = info_.Create(pages_[3], ids::kInfo, s_.infoBrowser)) placed.push_back({info, infoArgs});
  make({pages_[3], L"STATIC", ui::Text(texts::kInfoNote), kLabel, 0, ids::kInfoNote, 8, 185, 473, 30});

  make({pages_[4], L"STATIC", ui::Text(texts::kDone), kLabel, 0, ids::kDoneText, 8, 8, 473, 16});
  HWND opt0 = make({pages_[4], L"BUTTON", ui::Text(texts::kOptShortcut), WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                    ids::kOptShortcut, 24, 48, 449, 20});
  make({pages_[4], L"BUTTON", ui::Text(texts::kOptOpen), WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, ids::kOptOpen, 24, 76,
        449, 20});
  make({pages_[4], L"BUTTON", ui::Text(texts::kOptCheck), WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, ids::kOptCheck, 24,
        104, 449, 20});
  if (opt0) SendMessageW(opt0, BM_SETCHECK, BST_CHECKED, 0);

  // Button strip, left to right: Cancel, Back, Next.
  make({hwnd_, L"BUTTON", ui::Text(texts::kCancel), kButton, 0, ids::kCancel, 216, 320, 89, 25});
  make({hwnd_, L"BUTTON", ui::Text(texts::kBack), kButton, 0, ids::kBack, 312, 320, 81, 25});
  make({hwnd_, L"BUTTON", ui::Text(texts::kNext), WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, ids::kNext, 400, 320, 81,
        25});
}

void FrmMain::Layout() {
  for (const PlacedControl& p : placed_) {
    const ControlArgs& a = p.args;
    MoveWindow(p.hwnd, S(a.x), S(a.y), S(a.width), S(a.height), FALSE);
    SendMessageW(p.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(a.titleFont ? titleFont_.get() : font_.get()), FALSE);
  }
  info_.Resized();
  const SIZE outer = win::OuterSize(kStyle, kExStyle, S(kClientWidth), S(kClientHeight), dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void FrmMain::OnDpiChanged(UINT dpi, const RECT* suggested) {
  dpi_ = dpi ? dpi : 96;
  MakeFonts();
  LoadPicture();
  if (suggested)
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

void FrmMain::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT band = {S(kTitleBand.left), S(kTitleBand.top), S(kTitleBand.right), S(kTitleBand.bottom)};
  FillRect(dc, &band, static_cast<HBRUSH>(white_.get()));
  const int inset = (kImageSize - kIconSize) / 2;
  if (icon_)
    DrawIconEx(dc, S(kImageX + inset), S(kImageY + inset), icon_.get(), S(kIconSize), S(kIconSize), 0, nullptr,
               DI_NORMAL);
  tool::DrawEtchedLine(dc, 0, S(kLine2Y), client.right, static_cast<int>(dpi_));  // Line2
  tool::DrawEtchedLine(dc, 0, S(kLine1Y), client.right, static_cast<int>(dpi_));  // Line1
  EndPaint(hwnd_, &ps);
}

LRESULT FrmMain::OnCtlColorStatic(HDC dc, HWND control) {
  if (GetDlgCtrlID(control) == ids::kTitle) {
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(white_.get());
  }
  return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void FrmMain::OnCommand(int id, int code) {
  switch (id) {
    case ids::kBack:
    case ids::kNext:
    case ids::kCancel:
      if (code == BN_CLICKED) btnNavigate_Click(id == ids::kBack ? 0 : id == ids::kNext ? 1 : 2);
      break;
    case IDCANCEL:  // Escape
      btnNavigate_Click(2);
      break;
    case ids::kBrowseFolder:
      if (code == BN_CLICKED) btnReferStartup_Click();
      break;
    case ids::kBrowseFile:
      if (code == BN_CLICKED) ChooseSequenceFile_Click();
      break;
    case ids::kOptTakeRun:
      if (code == BN_CLICKED) UpdateSwitchOffChoice();
      break;
    case ids::kStartupFolder:
      if (code == EN_CHANGE) UpdateSwitchOffChoice();
      break;
    default:
      break;
  }
}

void FrmMain::OnDestroy() {
  info_.Destroy();  // before its host window goes
  placed_.clear();
}

std::wstring FrmMain::Text(int id) const {
  HWND h = FindControl(id);
  if (!h) return {};
  int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), n + 1)));
  return s;
}

void FrmMain::SetText(int id, const std::wstring& text) {
  if (HWND h = FindControl(id)) SetWindowTextW(h, text.c_str());
}

void FrmMain::Form_Load() {
  Apply(Step{true, false, false});  // page 0, entered by the flow's constructor
  SetText(ids::kStartupFolder, s_.userStartupFolder ? s_.userStartupFolder() : std::wstring());
  std::wstring own = s_.ownFolder;
  SetText(ids::kSequenceFile, paths::Join(own, texts::kDefaultSequenceName));
  if (HWND next = FindControl(ids::kNext)) SetFocus(next);
}

void FrmMain::btnNavigate_Click(int index) {
  if (ended_) return;
  switch (index) {
    case 0:
      Apply(flow_.Back());
      break;
    case 1:
      Apply(flow_.Next([this] { return GenerateSequenceFile(); }));
      break;
    default:
      s_.messages.Show(ui::Text(texts::kCancelMessage), ui::MessageIcon::Information);
      End();
      break;
  }
}

void FrmMain::Apply(const Step& step) {
  if (step.navigateInfo) info_.Navigate();  // loads while the user is on page 2
  if (step.finish) {
    RunFinishingSteps();
    return;
  }
  HWND back = FindControl(ids::kBack);
  HWND next = FindControl(ids::kNext);
  if (back) {
    if (!flow_.backEnabled() && GetFocus() == back && next) SetFocus(next);
    EnableWindow(back, flow_.backEnabled());
  }
  if (next) SetWindowTextW(next, flow_.nextCaption().c_str());
  if (step.showPage) ShowWizardPage(flow_.page());
}

void FrmMain::ShowWizardPage(int page) {
  // The page entered last is the only one that can be seen or reached with
  // Tab; the others wait hidden in the host.
  HWND focus = GetFocus();
  bool focusLost = false;
  for (int i = 0; i < PageFlow::kPageCount; ++i) {
    if (i == page || !pages_[i]) continue;
    if (focus && (focus == pages_[i] || IsChild(pages_[i], focus))) focusLost = true;
    ShowWindow(pages_[i], SW_HIDE);
  }
  if (pages_[page]) {
    SetWindowPos(pages_[page], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  }
  if (focusLost)
    if (HWND next = FindControl(ids::kNext)) SetFocus(next);
}

bool FrmMain::TakeOverOffered() const {
  return s_.approvalData && s_.listStartupEntries && !s_.recordFile.empty();
}

bool FrmMain::FolderIsUserStartup() const {
  auto trimmed = [](std::wstring s) {
    while (s.size() > 3 && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
    return s;
  };
  std::wstring startup = s_.userStartupFolder ? trimmed(s_.userStartupFolder()) : std::wstring();
  return !startup.empty() && text::EqualsNoCase(trimmed(Text(ids::kStartupFolder)), startup);
}

// The switch-off choice means something only for entries that are taken
// over: the Run values, or the shortcuts of the user's own Startup folder.
void FrmMain::UpdateSwitchOffChoice() {
  HWND off = FindControl(ids::kOptSwitchOff);
  if (!off) return;
  EnableWindow(off, IsDlgButtonChecked(pages_[1], ids::kOptTakeRun) == BST_CHECKED || FolderIsUserStartup());
}

bool FrmMain::GenerateSequenceFile() {
  const std::wstring folder = Text(ids::kStartupFolder);
  const GenerationSeams seams{s_.files, s_.shortcuts, s_.clock, s_.messages};
  if (!TakeOverOffered()) return wizard::GenerateSequenceFile(folder, Text(ids::kSequenceFile), seams).ok;

  TakeOverChoices choices;
  choices.runEntries = IsDlgButtonChecked(pages_[1], ids::kOptTakeRun) == BST_CHECKED;
  HWND off = FindControl(ids::kOptSwitchOff);
  choices.switchOff = off && IsWindowEnabled(off) && IsDlgButtonChecked(pages_[1], ids::kOptSwitchOff) == BST_CHECKED;
  choices.folderIsUserStartup = FolderIsUserStartup();
  std::vector<autostart::Entry> listed;
  if (choices.runEntries || choices.folderIsUserStartup) listed = s_.listStartupEntries();
  const TakeOverPlan plan = PlanTakeOver(listed, choices, s_.registry);
  GenerationResult r = wizard::GenerateSequenceFile(folder, Text(ids::kSequenceFile), seams, &plan);
  if (!r.ok) return false;
  switchOff_ = choices.switchOff;
  taken_.clear();
  if (choices.switchOff) {
    if (choices.folderIsUserStartup)
      for (const std::wstring& name : r.takenLinks) taken_.push_back(approval::AddressOf(approval::Place::UserFolder, name));
    for (const TakenEntry& e : plan.entries) taken_.push_back(e.approval);
  }
  const std::wstring leftOut = LeftOutMessage(plan);
  if (!leftOut.empty()) s_.messages.Show(leftOut, ui::MessageIcon::Warning);
  return true;
}

void FrmMain::RunFinishingSteps() {
  FinishInputs in;
  in.owner = hwnd_;
  in.scannedFolder = Text(ids::kStartupFolder);
  in.sequenceFile = Text(ids::kSequenceFile);
  in.createShortcut = IsDlgButtonChecked(pages_[4], ids::kOptShortcut) == BST_CHECKED;
  in.openSequenceFile = IsDlgButtonChecked(pages_[4], ids::kOptOpen) == BST_CHECKED;
  in.switchOff = switchOff_;
  in.taken = taken_;
  in.recordFile = s_.recordFile;
  if ((in.createShortcut || in.switchOff) && s_.userStartupFolder) in.userStartupFolder = s_.userStartupFolder();
  in.ownFolder = s_.ownFolder;
  in.checkSequenceFile = IsDlgButtonChecked(pages_[4], ids::kOptCheck) == BST_CHECKED;
  if (in.switchOff && !in.taken.empty()) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    in.fileTime = (std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // The record's folder under the user's local application data.
    CreateDirectoryW(paths::Parent(s_.recordFile).c_str(), nullptr);
  }
  wizard::RunFinishingSteps(in, {s_.shell, s_.files, s_.shortcuts, s_.messages, s_.processes, s_.registry});
  End();
}

void FrmMain::End() {
  if (ended_) return;
  ended_ = true;
  if (hwnd_) DestroyWindow(hwnd_);
}

void FrmMain::btnReferStartup_Click() {
  std::optional<std::wstring> folder = s_.dialogs.ChooseFolder(hwnd_, Text(ids::kStartupFolder), ui::Text(texts::kBrowseTitle));
  if (!folder) return;
  std::wstring path = tool::TrimAtNull(*folder);
  if (!path.empty()) SetText(ids::kStartupFolder, path);
}

void FrmMain::ChooseSequenceFile_Click() {
  std::optional<std::wstring> file = s_.dialogs.ChooseSequenceFile(hwnd_, Text(ids::kSequenceFile));
  if (file) SetText(ids::kSequenceFile, *file);
}

void FrmMain::txtStartupFolder_Validate() {
  std::wstring folder = Text(ids::kStartupFolder);
  if (!folder.empty() && folder.back() == L'\\') {
    folder.pop_back();
    SetText(ids::kStartupFolder, folder);
  }
}

}  // namespace wizard
