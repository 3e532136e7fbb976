// Child controls created in code from a table of their designs, laid out
// again whenever the window's size or DPI changes:
//
//   enum class Control { Title, List };
//   constexpr win::ControlSpec kControls[] = {
//       {WC_STATICW, texts::kTitle, SS_NOPREFIX, 0, win::IdOf(Control::Title), {8, 8, 340, 18},
//        win::kAnchorTopLeft, win::FontRole::Title},
//       {WC_LISTVIEWW, 0, LVS_REPORT, 0, win::IdOf(Control::List), {8, 32, 340, 200}, win::kAnchorAll},
//   };
//   controls_.Create(hwnd_, kControls);              // WM_CREATE
//   controls_.SetFonts(fonts_);                       // WM_CREATE and WM_DPICHANGED
//   controls_.Layout(dpi, design, client);            // and at every WM_SIZE
//
// Rectangles are written at 96 DPI in the parent's client area designed at
// `design` (control_layout.h). The set keeps each control with its design; it
// does not own the windows (their parents destroy them). win::Window's frame
// does all of this for a top-level window.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "common/control_layout.h"
#include "common/win32/raii.h"

namespace win {

// The controls of a window are an enum class of its own; their ids count
// from here (clear of IDOK and IDCANCEL, which the dialog keys send).
inline constexpr int kFirstControlId = 100;
template <class E>
  requires std::is_enum_v<E>
constexpr int IdOf(E control) {
  return kFirstControlId + static_cast<int>(control);
}
// The control of a window's enum whose id is id.
template <class E>
  requires std::is_enum_v<E>
constexpr E ControlOf(int id) {
  return static_cast<E>(id - kFirstControlId);
}

// What a control's text is: running text or a heading.
enum class FontRole { Body, Title };

// The face a window's text is set in. With design sizes each role gets the
// size and weight of its row in one table (body 9 points, title 12 points
// bold); without, the system's message font keeps its own size. An empty
// face is the system's message font.
struct Typeface {
  std::wstring face;
  bool designSizes = false;
};

struct ControlSpec {
  const wchar_t* windowClass;
  unsigned text = 0;       // the text's id for ui::Text; 0: none
  DWORD style = 0;         // WS_CHILD is added
  DWORD exStyle = 0;
  int id = 0;              // the control id (GetDlgCtrlID)
  Rect96 rect{};
  unsigned anchors = kAnchorTopLeft;
  FontRole font = FontRole::Body;
};

// A window's fonts at one DPI, one per role.
struct Fonts {
  GdiObject body;
  GdiObject title;
  HFONT For(FontRole role) const { return static_cast<HFONT>(role == FontRole::Title ? title.get() : body.get()); }
};

// The fonts of typeface at dpi.
Fonts MakeFonts(const Typeface& typeface, UINT dpi);

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
  // Gives every control the font of its role.
  void SetFonts(const Fonts& fonts) const;
  // Moves every control to its design at dpi, anchored in a client area of
  // client pixels whose design size is design (controls anchored only top
  // and left need neither).
  void Layout(UINT dpi, Size96 design = {}, SIZE client = {}) const;
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
