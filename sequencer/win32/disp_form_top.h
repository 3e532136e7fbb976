// Keeping a window above the others.
#pragma once

#include <windows.h>

namespace DispFormTop {

// Mode 1: into the topmost band; Mode 0: back among the other windows; any
// other Mode does nothing and gives 0. Otherwise SetWindowPos's result
// (non-zero on success); position and size stay.
int SetFormTopMost(HWND form, int Mode);

}  // namespace DispFormTop
