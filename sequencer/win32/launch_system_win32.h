// The real launch system and report clock: CreateProcessW and
// ShellExecuteExW with the process kept for the ready gate, the system's
// error texts, the running processes of this user, the local time.
#pragma once

#include "sequencer/launch_system.h"
#include "sequencer/start_report.h"

LaunchSystem& RealLaunchSystem();
report::Clock& RealReportClock();
