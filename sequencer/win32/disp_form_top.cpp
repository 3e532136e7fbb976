#include "sequencer/win32/disp_form_top.h"

namespace DispFormTop {

int SetFormTopMost(HWND form, int Mode) {
  HWND after;
  if (Mode == 1) after = HWND_TOPMOST;
  else if (Mode == 0) after = HWND_NOTOPMOST;
  else return 0;
  return ::SetWindowPos(form, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace DispFormTop
