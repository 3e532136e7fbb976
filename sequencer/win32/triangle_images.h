// The list's four state images: a downward-pointing triangle in grey
// (failed), bright red (started), dark red (waiting) and blue (already
// running, not started again), drawn at run time so that they stay sharp at
// any DPI.
#pragma once

#include "common/win32/raii.h"

namespace sequencer {

// A 32-bit image list of four size × size images, in the order above.
win::ImageList MakeTriangleImages(int size);

}  // namespace sequencer
