// Child controls created in code from a table of their designs, and laid out
// again whenever the window's DPI changes:
//
//   constexpr win::ControlSpec kControls[] = {
//       {WC_STATICW, texts::kTitle, SS_NOPREFIX, 0, kTitleId, {8, 8, 340, 18}, win::FontRole::Title},
//   };
//   controls_.Create(hwnd_, kControls);              // WM_CREATE
//   controls_.Layout(dpi, fonts_);                    // WM_CREATE and WM_DPICHANGED
//
// Rectangles are written at 96 DPI in the parent's client area and scaled
// with MulDiv(v, dpi, 96). The set keeps each control with its design; it
// does not own the windows (their parents destroy them).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "common/win32/raii.h"

namespace win {

// v pixels at 96 DPI, at dpi.
inline int Scale(int v, UINT dpi) { return ::MulDiv(v, static_cast<int>(dpi), 96); }

enum class FontRole { Body, Title };

struct Rect96 {
  int x = 0, y = 0, width = 0, height = 0;
};

struct ControlSpec {
  const wchar_t* windowClass;
  unsigned text = 0;       // the text's id for ui::Text; 0: none
  DWORD style = 0;         // WS_CHILD is added
  DWORD exStyle = 0;
  int id = 0;              // the control id (GetDlgCtrlID)
  Rect96 rect{};
  FontRole font = FontRole::Body;
};

// A window's two fonts at one DPI.
struct Fonts {
  GdiObject body;
  GdiObject title;
  HFONT For(FontRole role) const { return static_cast<HFONT>(role == FontRole::Title ? title.get() : body.get()); }
};

// A font of face at points and dpi. An empty face is the system's message
// font; points 0 then keeps that font's own size, scaled to dpi.
HFONT MakeFont(const std::wstring& face, int points, bool bold, UINT dpi);

// The text of a window or control; "" for a null handle.
std::wstring WindowText(HWND h);

class ControlSet {
 public:
  // Creates one control under parent as its design says, with text when
  // given (else the text id it names, looked up in the user's language). Null
  // when the control cannot be created; nothing is then kept.
  HWND Create(HWND parent, const ControlSpec& spec, const std::wstring* text = nullptr);
  // Creates every control of specs under parent; false when any failed.
  bool Create(HWND parent, std::span<const ControlSpec> specs);
  // Keeps a control made elsewhere so that Layout places it with the others.
  void Adopt(HWND control, const ControlSpec& spec);
  // Moves every control to its design at dpi and gives it its font.
  void Layout(UINT dpi, const Fonts& fonts) const;
  // The control created with id (the first of that id); null when none.
  HWND Find(int id) const;
  void Clear() { placed_.clear(); }

 private:
  struct Placed {
    HWND hwnd;
    ControlSpec spec;
  };
  std::vector<Placed> placed_;
};

}  // namespace win
