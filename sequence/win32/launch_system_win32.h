// The real launch system: SetCurrentDirectoryW, CreateProcessW and
// ShellExecuteExW with the process kept for the ready gate, the system's
// error texts, the running processes of this user.
#pragma once

#include "sequence/launch_system.h"

LaunchSystem& RealLaunchSystem();
