#ifndef MAIN_FRAME_DPI_SCALE_H_
#define MAIN_FRAME_DPI_SCALE_H_

#include <windows.h>

// The DPI of the screen the window is on, in percent of 96 (not snapped;
// see SnapDpiScale). 100 where the system cannot tell.
int GetDpiScale(HWND window);

#endif  // MAIN_FRAME_DPI_SCALE_H_
