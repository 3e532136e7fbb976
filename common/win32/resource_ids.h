// Resource identifiers every program shares (resource scripts and code).
#pragma once

// The program's icon: the window class, the About logo and the shell's.
#define IDI_PROGRAM 1
