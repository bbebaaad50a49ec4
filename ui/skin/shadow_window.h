#ifndef UI_SKIN_SHADOW_WINDOW_H_
#define UI_SKIN_SHADOW_WINDOW_H_

#include <windows.h>

#include "ui/skin/gdiplus_headers.h"
#include "ui/skin/skin_pos.h"
#include "utils/scoped_handle.h"

// Draws the shadow of a window; the window that has one implements it.
class ShadowPaintHook {
 public:
  // `area` is the whole shadow window, the owner's rectangle in its middle.
  virtual void PaintShadow(Gdiplus::Graphics& graphics, const SkinRect& area) = 0;

 protected:
  ~ShadowPaintHook() = default;
};

// A layered window that the mouse passes through, `size` pixels larger than
// the window it shades on every side and just behind it.
class ShadowWindow {
 public:
  ShadowWindow(ShadowPaintHook* hook, int size) : hook_(hook), size_(size) {}
  ShadowWindow(const ShadowWindow&) = delete;
  ShadowWindow& operator=(const ShadowWindow&) = delete;

  // Created hidden; false when the window cannot be made.
  [[nodiscard]] bool Create(HWND shaded);
  // Places, paints and shows or hides the shadow as the shaded window is now.
  void Follow();
  HWND hwnd() const { return window_.get(); }

 private:
  ShadowPaintHook* const hook_;
  const int size_;
  HWND shaded_ = nullptr;
  unique_hwnd window_;
};

#endif  // UI_SKIN_SHADOW_WINDOW_H_
