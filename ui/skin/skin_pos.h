#ifndef UI_SKIN_SKIN_POS_H_
#define UI_SKIN_SKIN_POS_H_

#include <optional>
#include <string_view>

// Where an element sits inside its parent, as skin layouts write it:
// "left,top" (the element keeps its natural size) or "left,top,right,bottom".
// Each coordinate is measured from the parent's near edge ("12"), back from
// its far edge ("-12"; "-0" is the far edge) or from its centre ("|12",
// "|-12").

enum class PosAnchor { kNear, kFar, kCentre };

struct PosCoord {
  PosAnchor anchor = PosAnchor::kNear;
  int offset = 0;  // towards the far edge; negative only from the centre
};

struct SkinPos {
  PosCoord left;
  PosCoord top;
  std::optional<PosCoord> right;  // set together with bottom
  std::optional<PosCoord> bottom;
};

struct SkinRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const SkinRect&) const = default;
};

struct SkinSize {
  int width = 0;
  int height = 0;
};

std::optional<SkinPos> ParsePos(std::string_view text);

// A far corner that falls before the near one gives an empty rectangle.
SkinRect ResolvePos(const SkinPos& pos, const SkinRect& parent, SkinSize natural);

#endif  // UI_SKIN_SKIN_POS_H_
