#ifndef UI_RATING_RATING_PLACEMENT_H_
#define UI_RATING_RATING_PLACEMENT_H_

#include <optional>

#include "ui/skin/skin_pos.h"

// Where the rating dialog goes, in screen pixels.

// Centred on `over` (integer halves), its size kept.
SkinRect CentreOn(const SkinRect& dialog, const SkinRect& over);

// Above the bottom right corner of the screen, or left of a taskbar on the
// right; `margin` keeps it off the screen's edge. Lifted 10 pixels and one
// pixel shorter, so that its lower edge stays clear of a bottom taskbar.
SkinRect BesideTaskbar(SkinSize dialog,
                       SkinSize screen,
                       int margin,
                       const std::optional<SkinRect>& taskbar);

#endif  // UI_RATING_RATING_PLACEMENT_H_
