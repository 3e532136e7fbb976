// The list's three state images: a downward-pointing triangle in grey
// (failed), bright red (started) and dark red (waiting), drawn at run time so
// that they stay sharp at any DPI.
#pragma once

#include "sequencer/win32/owners.h"

namespace images {

// A 32-bit image list of three size × size images, in the order above.
win::ImageList MakeTriangleImages(int size);

}  // namespace images
