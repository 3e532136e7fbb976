#include "wizard/win32/wizard_window.h"

#include <commctrl.h>

#include <vector>

#include "common/path_rules.h"
#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "common/win32/draw.h"
#include "common/win32/file_time.h"
#include "wizard/win32/control_ids.h"
#include "wizard/finish.h"
#include "wizard/generation.h"
#include "wizard/texts.h"

namespace wizard {

namespace {

using win::IdOf;

constexpr wchar_t kPageClass[] = L"TVLpreparerPage";
constexpr UINT_PTR kFolderBoxSubclass = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// Layout at 96 DPI.
constexpr win::Size96 kClientSize{512, 353};
constexpr RECT kTitleBand = {0, 0, 513, 73};
constexpr int kLogoX = 432, kLogoY = 8, kLogoSize = 56;  // the icon centred in this square
constexpr int kBandLineY = 72;    // under the title band
constexpr int kButtonLineY = 312; // above the buttons

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kBox = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kPanel = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The window's own controls; the button strip, left to right: Cancel, Back, Next.
constexpr win::ControlSpec kFrameControls[] = {
    {L"STATIC", texts::kTitleBand, kLabel, 0, IdOf(Control::Title), {8, 8, 340, 18}, win::kAnchorTopLeft, win::FontRole::Title},
    {kPageClass, 0, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, IdOf(Control::PageHost), {8, 80, 497, 217}},
    {L"BUTTON", texts::kCancel, kButton, 0, IdOf(Control::Cancel), {216, 320, 89, 25}},
    {L"BUTTON", texts::kBack, kButton, 0, IdOf(Control::Back), {312, 320, 81, 25}},
    {L"BUTTON", texts::kNext, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IdOf(Control::Next), {400, 320, 81, 25}},
};

// Each page's controls, by page. The folder page's help text is shorter when
// the two take-over choices stand below it.
constexpr win::ControlSpec kWelcomePage[] = {
    {L"STATIC", texts::kWelcome, kLabel, 0, IdOf(Control::WelcomeText), {8, 8, 473, 200}},
};
constexpr win::ControlSpec kFolderPage[] = {
    {L"STATIC", texts::kFolderLabel, kLabel, 0, IdOf(Control::FolderLabel), {8, 8, 473, 16}},
    {L"EDIT", 0, kBox, WS_EX_CLIENTEDGE, IdOf(Control::StartupFolder), {8, 28, 384, 22}},
    {L"BUTTON", texts::kBrowse, kButton, 0, IdOf(Control::BrowseFolder), {400, 27, 81, 24}},
};
constexpr win::ControlSpec kFolderHelp = {L"STATIC", texts::kFolderHelp, kLabel, 0, IdOf(Control::FolderHelp), {8, 64, 473, 145}};
constexpr win::ControlSpec kFolderHelpAboveChoices = {L"STATIC", texts::kFolderHelp, kLabel, 0, IdOf(Control::FolderHelp),
                                                      {8, 64, 473, 92}};
constexpr win::ControlSpec kTakeOverChoices[] = {
    {L"BUTTON", texts::kTakeRunEntries, kCheck | BS_MULTILINE, 0, IdOf(Control::TakeRunEntries), {8, 160, 473, 22}},
    {L"BUTTON", texts::kSwitchOffOriginals, kCheck | BS_MULTILINE, 0, IdOf(Control::SwitchOffOriginals), {8, 186, 473, 22}},
};
// Where the wizard may write the machine's approval data, a third choice,
// unchecked, under the Run values' one: the machine's entries too.
constexpr win::ControlSpec kFolderHelpAboveThreeChoices = {L"STATIC", texts::kFolderHelp, kLabel, 0, IdOf(Control::FolderHelp),
                                                           {8, 64, 473, 66}};
constexpr win::ControlSpec kThreeTakeOverChoices[] = {
    {L"BUTTON", texts::kTakeRunEntries, kCheck | BS_MULTILINE, 0, IdOf(Control::TakeRunEntries), {8, 132, 473, 22}},
    {L"BUTTON", texts::kTakeMachineEntries, kCheck | BS_MULTILINE, 0, IdOf(Control::TakeMachineEntries), {24, 156, 457, 30}},
    {L"BUTTON", texts::kSwitchOffOriginals, kCheck | BS_MULTILINE, 0, IdOf(Control::SwitchOffOriginals), {8, 188, 473, 22}},
};
constexpr win::ControlSpec kFilePage[] = {
    {L"STATIC", texts::kFileLabel, kLabel, 0, IdOf(Control::FileLabel), {8, 8, 473, 16}},
    {L"EDIT", 0, kBox, WS_EX_CLIENTEDGE, IdOf(Control::SequenceFile), {8, 28, 384, 22}},
    {L"BUTTON", texts::kBrowse, kButton, 0, IdOf(Control::BrowseFile), {400, 27, 81, 24}},
    {L"STATIC", texts::kFileHelp, kLabel, 0, IdOf(Control::FileHelp), {8, 64, 473, 145}},
};
// The browser control (or its plain-text stand-in) is made by the info page.
constexpr win::ControlSpec kInfo = {L"", 0, 0, 0, IdOf(Control::Info), {8, 8, 473, 169}};
constexpr win::ControlSpec kInfoPage[] = {
    {L"STATIC", texts::kInfoNote, kLabel, 0, IdOf(Control::InfoNote), {8, 185, 473, 30}},
};
constexpr win::ControlSpec kDonePage[] = {
    {L"STATIC", texts::kDone, kLabel, 0, IdOf(Control::DoneText), {8, 8, 473, 16}},
    {L"BUTTON", texts::kMakeShortcut, kCheck, 0, IdOf(Control::MakeShortcut), {24, 48, 449, 20}},
    {L"BUTTON", texts::kOpenFile, kCheck, 0, IdOf(Control::OpenFile), {24, 76, 449, 20}},
    {L"BUTTON", texts::kCheckFile, kCheck, 0, IdOf(Control::CheckFile), {24, 104, 449, 20}},
};

void Check(HWND button) {
  if (button) SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
}

}  // namespace

WizardWindow::WizardWindow(WizardServices services) : s_(std::move(services)) {}

WizardWindow::~WizardWindow() {
  if (hwnd_) {
    s_.onEnded = nullptr;  // the owner is going away: nothing more to tell
    DestroyWindow(hwnd_);
  }
}

bool WizardWindow::Create(HINSTANCE instance, int showCommand) {
  // The page panels: plain windows that pass their controls' notifications on.
  WNDCLASSEXW page{};
  page.cbSize = sizeof page;
  if (!GetClassInfoExW(instance, kPageClass, &page)) {
    page = WNDCLASSEXW{};
    page.cbSize = sizeof page;
    page.hInstance = instance;
    page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    page.lpfnWndProc = PageProc;
    page.lpszClassName = kPageClass;
    if (!RegisterClassExW(&page)) return false;
  }
  if (!RegisterClassOnce(instance)) return false;
  HWND hwnd = CreateFrame(instance, kExStyle, s_.caption.c_str(), kStyle, kClientSize);
  if (!hwnd) return false;
  LoadDefaults();
  ShowWindow(hwnd, showCommand);
  if (showCommand != SW_HIDE) UpdateWindow(hwnd);
  return true;
}

HWND WizardWindow::FindControl(Control control) const {
  if (!hwnd_) return nullptr;
  const int id = IdOf(control);
  if (HWND direct = GetDlgItem(hwnd_, id)) return direct;
  for (HWND page : pages_)
    if (HWND child = page ? GetDlgItem(page, id) : nullptr) return child;
  HWND host = GetDlgItem(hwnd_, IdOf(Control::PageHost));
  return host ? GetDlgItem(host, id) : nullptr;
}

int WizardWindow::RunMessageLoop(HWND window) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsWindow(window) && IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void WizardWindow::OnWindowGone() {
  if (s_.onEnded) s_.onEnded();
}

// Page panels and the page host pass their controls' notifications on to the
// window, which handles every control alike.
LRESULT CALLBACK WizardWindow::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY) {
    if (HWND root = GetAncestor(hwnd, GA_ROOT); root && root != hwnd)
      return SendMessageW(root, message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WizardWindow::FolderBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  if (message == WM_KILLFOCUS) {
    // Validation runs only when the focus moves to another control of the
    // wizard, not when the user switches to another program.
    auto* self = reinterpret_cast<WizardWindow*>(data);
    HWND next = reinterpret_cast<HWND>(wParam);
    if (next && self->hwnd_ && IsChild(self->hwnd_, next)) self->TrimFolderBox();
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(box, FolderBoxProc, kFolderBoxSubclass);
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT WizardWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
      return MAKELRESULT(IdOf(Control::Next), DC_HASDEFID);
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

win::Typeface WizardWindow::TextFace() const {
  // The face of the user's language; where it is missing the font mapper
  // picks the closest one.
  return {ui::Text(texts::kFontFace), true};
}

void WizardWindow::OnCreate() {
  white_.reset(CreateSolidBrush(RGB(255, 255, 255)));
  CreateControls();
}

void WizardWindow::CreateControls() {
  controls_.Clear();
  controls_.Create(hwnd_, std::span(kFrameControls).first(2));
  HWND host = controls_.Find(IdOf(Control::PageHost));
  for (int i = 0; i < PageFlow::kPageCount; ++i)
    pages_[i] = controls_.Create(host, win::ControlSpec{kPageClass, 0, kPanel, WS_EX_CONTROLPARENT, IdOf(PageOf(i)), {0, 0, 489, 217}});

  controls_.Create(pages_[0], kWelcomePage);

  controls_.Create(pages_[1], kFolderPage);
  if (TakeOverOffered() && MachineApprovalWritable()) {
    controls_.Create(pages_[1], kFolderHelpAboveThreeChoices);
    controls_.Create(pages_[1], kThreeTakeOverChoices);
    Check(controls_.Find(IdOf(Control::TakeRunEntries)));
    Check(controls_.Find(IdOf(Control::SwitchOffOriginals)));
  } else if (TakeOverOffered()) {
    controls_.Create(pages_[1], kFolderHelpAboveChoices);
    controls_.Create(pages_[1], kTakeOverChoices);
    Check(controls_.Find(IdOf(Control::TakeRunEntries)));
    Check(controls_.Find(IdOf(Control::SwitchOffOriginals)));
  } else {
    controls_.Create(pages_[1], kFolderHelp);
  }
  if (HWND folderBox = controls_.Find(IdOf(Control::StartupFolder)))
    SetWindowSubclass(folderBox, FolderBoxProc, kFolderBoxSubclass, reinterpret_cast<DWORD_PTR>(this));

  controls_.Create(pages_[2], kFilePage);

  controls_.Adopt(info_.Create(pages_[3], IdOf(Control::Info), s_.infoBrowser), kInfo);
  controls_.Create(pages_[3], kInfoPage);

  controls_.Create(pages_[4], kDonePage);
  Check(controls_.Find(IdOf(Control::MakeShortcut)));
  // The suite's editor beside the wizard is the one that opens the file.
  if (!s_.ownFolder.empty() && s_.files.IsOrdinaryFile(paths::Join(s_.ownFolder, texts::kEditorName)))
    SetWindowTextW(controls_.Find(IdOf(Control::OpenFile)), ui::Text(texts::kOpenInEditor).c_str());

  controls_.Create(hwnd_, std::span(kFrameControls).subspan(2));
}

void WizardWindow::OnLayout(int, int) {
  info_.Resized();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void WizardWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT band = {Scale(kTitleBand.left), Scale(kTitleBand.top), Scale(kTitleBand.right), Scale(kTitleBand.bottom)};
  FillRect(dc, &band, static_cast<HBRUSH>(white_.get()));
  const int inset = (kLogoSize - kLogoSide) / 2;
  if (logo_)
    DrawIconEx(dc, Scale(kLogoX + inset), Scale(kLogoY + inset), logo_.get(), Scale(kLogoSide), Scale(kLogoSide), 0,
               nullptr, DI_NORMAL);
  win::DrawEtchedLine(dc, 0, Scale(kBandLineY), client.right, static_cast<int>(dpi_));
  win::DrawEtchedLine(dc, 0, Scale(kButtonLineY), client.right, static_cast<int>(dpi_));
  EndPaint(hwnd_, &ps);
}

LRESULT WizardWindow::OnCtlColorStatic(HDC dc, HWND control) {
  if (GetDlgCtrlID(control) == IdOf(Control::Title)) {
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(white_.get());
  }
  return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void WizardWindow::OnCommand(int id, int code) {
  switch (id) {
    case IdOf(Control::Back):
      if (code == BN_CLICKED) OnBack();
      break;
    case IdOf(Control::Next):
      if (code == BN_CLICKED) OnNext();
      break;
    case IdOf(Control::Cancel):
      if (code == BN_CLICKED) OnCancel();
      break;
    case IDCANCEL:  // Escape
      OnCancel();
      break;
    case IdOf(Control::BrowseFolder):
      if (code == BN_CLICKED) OnBrowseFolder();
      break;
    case IdOf(Control::BrowseFile):
      if (code == BN_CLICKED) OnBrowseFile();
      break;
    case IdOf(Control::TakeRunEntries):
      if (code == BN_CLICKED) UpdateSwitchOffChoice();
      break;
    case IdOf(Control::StartupFolder):
      if (code == EN_CHANGE) UpdateSwitchOffChoice();
      break;
    default:
      break;
  }
}

void WizardWindow::OnDestroy() {
  info_.Destroy();  // before its host window goes
  controls_.Clear();
}

std::wstring WizardWindow::Text(Control control) const {
  return win::WindowText(FindControl(control));
}

void WizardWindow::SetText(Control control, const std::wstring& text) {
  if (HWND h = FindControl(control)) SetWindowTextW(h, text.c_str());
}

void WizardWindow::LoadDefaults() {
  Apply(Step{true, false, false});  // page 0, entered by the flow's constructor
  SetText(Control::StartupFolder, s_.userStartupFolder ? s_.userStartupFolder() : std::wstring());
  std::wstring own = s_.ownFolder;
  SetText(Control::SequenceFile, paths::Join(own, texts::kDefaultSequenceName));
  if (HWND next = FindControl(Control::Next)) SetFocus(next);
}

void WizardWindow::OnBack() {
  if (!ended_) Apply(flow_.Back());
}

void WizardWindow::OnNext() {
  if (!ended_) Apply(flow_.Next([this] { return GenerateSequenceFile(); }));
}

void WizardWindow::OnCancel() {
  if (ended_) return;
  s_.messages.Show(ui::Text(texts::kCancelMessage), ui::MessageIcon::Information);
  End();
}

void WizardWindow::Apply(const Step& step) {
  if (step.navigateInfo) info_.Navigate();  // loads while the user is on page 2
  if (step.finish) {
    RunFinishingSteps();
    return;
  }
  HWND back = FindControl(Control::Back);
  HWND next = FindControl(Control::Next);
  if (back) {
    if (!flow_.backEnabled() && GetFocus() == back && next) SetFocus(next);
    EnableWindow(back, flow_.backEnabled());
  }
  if (next) SetWindowTextW(next, flow_.nextCaption().c_str());
  if (step.showPage) ShowWizardPage(flow_.page());
}

void WizardWindow::ShowWizardPage(int page) {
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
    if (HWND next = FindControl(Control::Next)) SetFocus(next);
}

bool WizardWindow::TakeOverOffered() const {
  return s_.approvalData && s_.listStartupEntries && !s_.recordFile.empty();
}

bool WizardWindow::MachineApprovalWritable() const {
  using autostart::Place;
  for (Place place : {Place::MachineRun64, Place::MachineRun32, Place::CommonFolder})
    if (!s_.registry.CanWrite(autostart::AddressOf(place, L""))) return false;
  return true;
}

bool WizardWindow::FolderIsUserStartup() const {
  auto trimmed = [](std::wstring s) {
    while (s.size() > 3 && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
    return s;
  };
  std::wstring startup = s_.userStartupFolder ? trimmed(s_.userStartupFolder()) : std::wstring();
  return !startup.empty() && text::EqualsNoCase(trimmed(Text(Control::StartupFolder)), startup);
}

// The switch-off choice means something only for entries that are taken
// over: the Run values, or the shortcuts of the user's own Startup folder.
void WizardWindow::UpdateSwitchOffChoice() {
  const bool run = IsDlgButtonChecked(pages_[1], IdOf(Control::TakeRunEntries)) == BST_CHECKED;
  if (HWND machine = FindControl(Control::TakeMachineEntries)) EnableWindow(machine, run);
  HWND off = FindControl(Control::SwitchOffOriginals);
  if (!off) return;
  EnableWindow(off, run || FolderIsUserStartup());
}

bool WizardWindow::GenerateSequenceFile() {
  const std::wstring folder = Text(Control::StartupFolder);
  const GenerationSeams seams{s_.files, s_.shortcuts, s_.clock, s_.messages};
  if (!TakeOverOffered()) {
    GenerationResult r = wizard::GenerateSequenceFile(folder, Text(Control::SequenceFile), seams);
    alreadyListed_ = r.alreadyListed;
    return r.ok;
  }

  TakeOverChoices choices;
  choices.runEntries = IsDlgButtonChecked(pages_[1], IdOf(Control::TakeRunEntries)) == BST_CHECKED;
  HWND off = FindControl(Control::SwitchOffOriginals);
  choices.switchOff = off && IsWindowEnabled(off) && IsDlgButtonChecked(pages_[1], IdOf(Control::SwitchOffOriginals)) == BST_CHECKED;
  choices.folderIsUserStartup = FolderIsUserStartup();
  HWND machine = FindControl(Control::TakeMachineEntries);
  choices.machineEntries = machine && IsWindowEnabled(machine) &&
                           IsDlgButtonChecked(pages_[1], IdOf(Control::TakeMachineEntries)) == BST_CHECKED;
  std::vector<autostart::Entry> listed;
  if (choices.runEntries || choices.folderIsUserStartup) listed = s_.listStartupEntries();
  const TakeOverPlan plan = PlanTakeOver(listed, choices, s_.registry, s_.files);
  GenerationResult r = wizard::GenerateSequenceFile(folder, Text(Control::SequenceFile), seams, &plan);
  if (!r.ok) return false;
  alreadyListed_ = r.alreadyListed;
  switchOff_ = choices.switchOff;
  taken_.clear();
  if (choices.switchOff) {
    if (choices.folderIsUserStartup)
      for (const std::wstring& name : r.takenLinks) taken_.push_back(autostart::AddressOf(autostart::Place::UserFolder, name));
    for (const TakenEntry& e : plan.entries) taken_.push_back(e.approval);
  }
  const std::wstring leftOut = LeftOutMessage(plan);
  if (!leftOut.empty()) s_.messages.Show(leftOut, ui::MessageIcon::Warning);
  return true;
}

void WizardWindow::RunFinishingSteps() {
  FinishInputs in;
  in.owner = hwnd_;
  in.scannedFolder = Text(Control::StartupFolder);
  in.sequenceFile = Text(Control::SequenceFile);
  in.createShortcut = IsDlgButtonChecked(pages_[4], IdOf(Control::MakeShortcut)) == BST_CHECKED;
  in.openSequenceFile = IsDlgButtonChecked(pages_[4], IdOf(Control::OpenFile)) == BST_CHECKED;
  in.switchOff = switchOff_;
  in.taken = taken_;
  in.alreadyListed = alreadyListed_;
  in.recordFile = s_.recordFile;
  if ((in.createShortcut || in.switchOff) && s_.userStartupFolder) in.userStartupFolder = s_.userStartupFolder();
  in.ownFolder = s_.ownFolder;
  in.commonStartupFolder = s_.commonStartupFolder;
  in.checkSequenceFile = IsDlgButtonChecked(pages_[4], IdOf(Control::CheckFile)) == BST_CHECKED;
  if (in.switchOff && !in.taken.empty()) {
    in.fileTime = win::FileTimeNow();
  }
  wizard::RunFinishingSteps(in, {s_.shell, s_.files, s_.shortcuts, s_.messages, s_.processes, s_.registry, s_.clock, s_.resolveEntry});
  End();
}

void WizardWindow::End() {
  if (ended_) return;
  ended_ = true;
  if (hwnd_) DestroyWindow(hwnd_);
}

void WizardWindow::OnBrowseFolder() {
  std::optional<std::wstring> folder = s_.dialogs.ChooseFolder(hwnd_, Text(Control::StartupFolder), ui::Text(texts::kBrowseTitle));
  if (!folder) return;
  std::wstring path = text::TrimAtNull(*folder);
  if (!path.empty()) SetText(Control::StartupFolder, path);
}

void WizardWindow::OnBrowseFile() {
  std::optional<std::wstring> file = s_.dialogs.ChooseSequenceFile(hwnd_, Text(Control::SequenceFile));
  if (file) SetText(Control::SequenceFile, *file);
}

void WizardWindow::TrimFolderBox() {
  std::wstring folder = Text(Control::StartupFolder);
  if (!folder.empty() && folder.back() == L'\\') {
    folder.pop_back();
    SetText(Control::StartupFolder, folder);
  }
}

}  // namespace wizard
