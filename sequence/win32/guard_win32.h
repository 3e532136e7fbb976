// The guard (sequence/guard.h) over this system: the wizard's record under
// %LOCALAPPDATA%\Tarvoline, the Startup folders, the real registry and the
// listed start-up entries.
#pragma once

#include <vector>

#include "sequence/guard.h"

namespace sequence::guard {

// switchOff false only reports; remember false leaves the list of entries
// seen as it is (the sequence check).
std::vector<Finding> RunOnSystem(const std::vector<SequenceItem>& items, bool switchOff, bool remember);

}  // namespace sequence::guard
