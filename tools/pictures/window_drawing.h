#ifndef TOOLS_PICTURES_WINDOW_DRAWING_H_
#define TOOLS_PICTURES_WINDOW_DRAWING_H_

#include <windows.h>

#include <string>

#include "ui/skin/gdi_owners.h"

// A 32-bit top-down bitmap selected into its own memory DC.
class Canvas {
 public:
  [[nodiscard]] bool Create(int width, int height);
  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Makes every pixel opaque first.
  [[nodiscard]] bool WriteBmp(const std::wstring& path);

 private:
  unique_hbitmap bitmap_;
  unique_memory_dc dc_;  // goes first, letting its bitmap go
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Has `window` and its shown children, bottom of the z-order first, draw
// themselves into `dc` (WM_PRINTCLIENT) at their places relative to
// `window`'s top-left corner. Only for windows of the calling process: a
// device context means nothing in another.
void DrawWindowTree(HWND window, HDC dc);

#endif  // TOOLS_PICTURES_WINDOW_DRAWING_H_
