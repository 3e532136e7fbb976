// The start report's real clock: the local time for the stamps and the
// performance counter for the waits.
#pragma once

#include "sequencer/start_report.h"

report::Clock& RealReportClock();
