// Resource identifiers of Tarvoline.exe.
#pragma once

#define IDI_TARVOLINE 1
