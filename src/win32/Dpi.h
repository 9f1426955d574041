// The dots per inch of the system and of a window. Windows 10 (1607 on) tells them per monitor;
// older systems have one for every window, the screen's. The newer functions are looked up at run
// time, so that the program still starts where they are missing.
#pragma once

#include <windows.h>

namespace win32 {

// The system's dpi: the primary monitor's when the program started.
int SystemDpi();
// The dpi of the monitor the window is on.
int WindowDpi(HWND hwnd);
// The window rectangle around a client rectangle, with a title bar and border of this dpi.
void AdjustForDpi(RECT& rc, DWORD style, DWORD exStyle, int dpi);

}  // namespace win32
