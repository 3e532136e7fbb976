// The real launch system: SetCurrentDirectoryW, CreateProcessW and
// ShellExecuteExW with the process kept for the ready gate, the system's
// error texts, the running processes (a snapshot, then only the ones
// opened that might run the item's program) and what they run.
#pragma once

#include "sequence/launch_system.h"

LaunchSystem& RealLaunchSystem();
