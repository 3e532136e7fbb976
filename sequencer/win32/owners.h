// Owners for the system objects only the main window uses (see common/win32/raii.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "common/win32/raii.h"

namespace win {

struct ImageListTraits {
  using T = HIMAGELIST;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::ImageList_Destroy(h); }
};
using ImageList = Owned<ImageListTraits>;

struct IconTraits {
  using T = HICON;
  static T Invalid() { return nullptr; }
  static void Release(T h) { ::DestroyIcon(h); }
};
using Icon = Owned<IconTraits>;

}  // namespace win
