#ifndef MAIN_FRAME_TAB_GEOMETRY_H_
#define MAIN_FRAME_TAB_GEOMETRY_H_

// Placement arithmetic of a frame over a browser tab.

// Snaps a DPI percentage down to the scales the banner is drawn for:
// 100, 125, 150, 175, 200, 250 or 300.
int SnapDpiScale(int percent);

// Banner height in pixels at the given (unsnapped) DPI percentage.
int BannerHeightForDpiScale(int percent);

// A render window matches the tab when each side differs from the requested
// size by less than 11 pixels.
bool RenderSizeMatches(int requested_width,
                       int requested_height,
                       int actual_width,
                       int actual_height);

// Whether `now - last` (tick counts, wrapping) is still inside the focus gate.
bool WithinFocusGate(unsigned long last_tick, unsigned long now_tick);

#endif  // MAIN_FRAME_TAB_GEOMETRY_H_
