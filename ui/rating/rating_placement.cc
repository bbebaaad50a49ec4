#include "ui/rating/rating_placement.h"

SkinRect CentreOn(const SkinRect& dialog, const SkinRect& over) {
  const int left = over.left + (over.width() - dialog.width()) / 2;
  const int top = over.top + (over.height() - dialog.height()) / 2;
  return {left, top, left + dialog.width(), top + dialog.height()};
}

SkinRect BesideTaskbar(SkinSize dialog,
                       SkinSize screen,
                       int margin,
                       const std::optional<SkinRect>& taskbar) {
  int x = screen.width - dialog.width - margin;
  int y = screen.height - dialog.height;
  if (taskbar && taskbar->width() >= screen.width) {
    // Along the top or the bottom: above it when it is at the bottom.
    if (taskbar->bottom >= screen.height)
      y = taskbar->top - dialog.height;
  } else if (taskbar && taskbar->left > 0) {
    // Along the right: left of it.
    x = taskbar->left - dialog.width - margin;
  }
  y -= 10;
  return {x, y, x + dialog.width, y + dialog.height - 1};
}
