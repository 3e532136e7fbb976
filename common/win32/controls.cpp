#include "common/win32/controls.h"

#include "common/ui_text.h"
#include "common/win32/dpi.h"

namespace win {

std::wstring WindowText(HWND h) {
  if (!h) return {};
  std::wstring s(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  s.resize(static_cast<std::size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
  return s;
}

HFONT MakeFont(const std::wstring& face, int points, bool bold, UINT dpi) {
  LOGFONTW lf{};
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const bool message = face.empty() && ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  if (message) {
    lf = metrics.lfMessageFont;
    // The metrics are at the system DPI, whatever monitor the window is on.
    lf.lfHeight = ::MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  } else {
    ::lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  }
  if (points > 0 || !message) lf.lfHeight = -::MulDiv(points > 0 ? points : 9, static_cast<int>(dpi), 72);
  lf.lfWidth = 0;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  return ::CreateFontIndirectW(&lf);
}

Fonts MakeFonts(const Typeface& typeface, UINT dpi) {
  // Each role's size and weight at design sizes.
  static constexpr struct {
    FontRole role;
    int points;
    bool bold;
  } kRoles[] = {{FontRole::Body, 9, false}, {FontRole::Title, 12, true}};
  Fonts fonts;
  for (const auto& r : kRoles) {
    GdiObject font(MakeFont(typeface.face, typeface.designSizes ? r.points : 0, r.bold, dpi));
    (r.role == FontRole::Title ? fonts.title : fonts.body) = std::move(font);
  }
  return fonts;
}

HWND ControlSet::Create(HWND parent, const ControlSpec& spec, const std::wstring* text) {
  const std::wstring looked = text || !spec.text ? std::wstring() : ui::Text(spec.text);
  HWND h = ::CreateWindowExW(spec.exStyle, spec.windowClass, text ? text->c_str() : looked.c_str(),
                             spec.style | WS_CHILD, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                             reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  if (h) placed_.push_back({h, spec});
  return h;
}

bool ControlSet::Create(HWND parent, std::span<const ControlSpec> specs) {
  bool all = true;
  for (const ControlSpec& spec : specs) all = Create(parent, spec) && all;
  return all;
}

void ControlSet::Adopt(HWND control, const ControlSpec& spec) {
  if (control) placed_.push_back({control, spec});
}

void ControlSet::SetFonts(const Fonts& fonts) const {
  for (const Placed& p : placed_)
    if (HFONT font = fonts.For(p.spec.font)) ::SendMessageW(p.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ControlSet::Layout(UINT dpi, Size96 design, SIZE client) const {
  const auto place = [&](const Placed& p, auto move) {
    const Placement at = Place(p.spec.rect, p.spec.anchors, design, client.cx, client.cy, dpi);
    return move(p.hwnd, at.x, at.y, at.width, at.height);
  };
  // One batch for the children of the first control's parent (a batch holds
  // one parent's only): they move together, without a repaint between them.
  // Where the batch fails, every control moves on its own.
  HWND parent = placed_.empty() ? nullptr : ::GetParent(placed_.front().hwnd);
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(placed_.size()));
  for (const Placed& p : placed_) {
    if (!moves || ::GetParent(p.hwnd) != parent) continue;
    moves = place(p, [&](HWND h, int x, int y, int w, int ht) {
      return ::DeferWindowPos(moves, h, nullptr, x, y, w, ht, SWP_NOZORDER | SWP_NOACTIVATE);
    });
  }
  const bool batched = moves && ::EndDeferWindowPos(moves);
  for (const Placed& p : placed_) {
    if (batched && ::GetParent(p.hwnd) == parent) continue;
    place(p, [](HWND h, int x, int y, int w, int ht) {
      return ::SetWindowPos(h, nullptr, x, y, w, ht, SWP_NOZORDER | SWP_NOACTIVATE);
    });
  }
}

HWND ControlSet::Find(int id) const {
  for (const Placed& p : placed_)
    if (p.spec.id == id) return p.hwnd;
  return nullptr;
}

}  // namespace win
