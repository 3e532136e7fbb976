#include "droptool/win32/drop_window.h"

#include <algorithm>
#include <iterator>

#include "common/ui_text.h"
#include "common/win32/clipboard.h"
#include "common/win32/program_info.h"
#include "droptool/texts.h"
#include "droptool/drop_text.h"


namespace droptool {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT kProcessDrops = WM_APP + 1;

// The client area at 96 DPI.
constexpr win::Size96 kClientSize{312, 213};

using win::IdOf;

constexpr win::ControlSpec kControls[] = {
    {L"STATIC", texts::kInstructions, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, IdOf(Control::Instructions), {8, 8, 297, 41}},
    // A drop-down list's height is that of its open list; the closed box is
    // as high as its font needs (20 pixels at the usual size).
    {L"COMBOBOX", 0, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdOf(Control::ShowList), {8, 64, 297, 120}},
    {L"BUTTON", texts::kDropArea, WS_VISIBLE | BS_GROUPBOX, 0, IdOf(Control::DropArea), {8, 96, 297, 105}},
};

// The label may grow down to just above the list when the user's font needs
// more than its three lines of 41 pixels.
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

}  // namespace

DropWindow::DropWindow(const DropWindowArgs& args) : args_(args) {}

DropWindow::~DropWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool DropWindow::Create(int showCommand) {
  if (!RegisterClassOnce(args_.instance)) return false;
  std::wstring caption = win::VersionCaption(L"TVL Tool");
  if (!CreateFrame(args_.instance, kExStyle, caption.c_str(), kStyle, kClientSize)) return false;
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

HWND DropWindow::ControlHandle(Control c) const { return controls_.Find(IdOf(c)); }

RECT DropWindow::DropAreaOnScreen() const {
  RECT r{};
  GetWindowRect(ControlHandle(Control::DropArea), &r);
  return r;
}

void DropWindow::SelectMode(int index) {
  SendMessageW(ControlHandle(Control::ShowList), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT DropWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case kProcessDrops:
      drops_.Drain([this](const std::optional<std::vector<std::wstring>>& files) { ProcessDrop(files); });
      return 0;
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

bool DropWindow::OnCreate() {
  if (!controls_.Create(hwnd_, kControls)) return false;
  HWND mode = ControlHandle(Control::ShowList);
  for (const droptool::ModeEntry& m : droptool::kModes)
    SendMessageW(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Text(m.text).c_str()));
  SendMessageW(mode, CB_SETCURSEL, 0, 0);

  target_.reset(new win::DropTarget(this));
  registered_ = SUCCEEDED(RegisterDragDrop(hwnd_, target_.get()));
  return registered_;
}

void DropWindow::OnDestroy() {
  // A window that never finished its creation posts no quit: the caller's
  // error message would otherwise close at once.
  if (args_.quitOnDestroy && registered_) PostQuitMessage(0);
  if (registered_) RevokeDragDrop(hwnd_);
  registered_ = false;
  if (target_) target_.get()->Detach();
}

void DropWindow::OnLayout(int, int) {
  const win::ControlSpec& label = kControls[0];
  HWND h = ControlHandle(Control::Instructions);
  SetWindowPos(h, nullptr, 0, 0, Scale(label.rect.width),
               LabelHeight(h, Scale(label.rect.width), Scale(label.rect.height), Scale(kLabelMaxHeight)),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DropWindow::IsOverDropArea(POINTL screen) {
  RECT area = DropAreaOnScreen();
  return PtInRect(&area, POINT{screen.x, screen.y});
}

void DropWindow::OnFilesDropped(std::optional<std::vector<std::wstring>> files, POINTL) {
  drops_.Add(hwnd_, kProcessDrops, std::move(files));
}

void DropWindow::ProcessDrop(const std::optional<std::vector<std::wstring>>& files) {
  if (!files) {
    args_.messages.Show(ui::Text(texts::kNoFileList), ui::MessageIcon::Critical);
    return;
  }
  droptool::DropText text = droptool::BuildDropText(*files, SelectedShow(), args_.shortcuts, args_.clock, args_.files);
  if (!text.text) {
    args_.messages.Show(text.error, ui::MessageIcon::Critical);
    return;
  }
  // A drop whose every item was left out keeps the clipboard as it was.
  const bool nothingLeft = text.text->empty() && !text.leftOut.empty();
  if (!nothingLeft && !win::SetClipboardText(hwnd_, *text.text)) {
    args_.messages.Show(ui::Text(texts::kClipboardFailed), ui::MessageIcon::Critical);
    return;
  }
  if (!text.leftOut.empty()) {
    args_.messages.Show(ui::HeadingWithNames(ui::Text(texts::kLeftOutOfCodePage), text.leftOut),
                        ui::MessageIcon::Warning);
  }
}

int DropWindow::SelectedShow() const {
  LRESULT index = SendMessageW(ControlHandle(Control::ShowList), CB_GETCURSEL, 0, 0);
  return droptool::ShowOfMode(static_cast<int>(index));
}

}  // namespace droptool
