#ifndef MAIN_FRAME_DPI_QUERY_H_
#define MAIN_FRAME_DPI_QUERY_H_

// Which system call tells a window's DPI, by the system's version.
enum class DpiQuery {
  kNone,           // before Windows 7: always 100 %
  kDeviceContext,  // Windows 7 and 8: the window's device context
  kMonitor,        // Windows 8.1 on: GetDpiForMonitor
  kWindow,         // Windows 10 build 14955 on: GetDpiForWindow
};

DpiQuery ChooseDpiQuery(unsigned long major, unsigned long minor, unsigned long build);

// A DPI as a percentage of 96, rounded down.
int DpiToPercent(int dpi);

#endif  // MAIN_FRAME_DPI_QUERY_H_
