#ifndef UI_SKIN_NINE_PART_H_
#define UI_SKIN_NINE_PART_H_

#include <array>

#include "ui/skin/skin_pos.h"

// An image stretched as nine parts: the corners keep their size, the edges
// stretch along themselves, the middle both ways. Margins wider than half
// the image or the destination shrink to fit.
struct NinePart {
  SkinRect source;
  SkinRect destination;
};
std::array<NinePart, 9> SplitNineParts(SkinSize image, int margin, const SkinRect& destination);

#endif  // UI_SKIN_NINE_PART_H_
