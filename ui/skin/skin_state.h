#ifndef UI_SKIN_SKIN_STATE_H_
#define UI_SKIN_SKIN_STATE_H_

#include "ui/skin/skin_catalog.h"

// The look of a control follows its state.
enum class ElementState { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

// Which frame of an image strip to draw: a state past the strip's last frame
// takes the first; a disabled control without a frame of its own is drawn
// faded.
struct StripFrame {
  int index = 0;
  bool faded = false;
};
StripFrame StripFrameFor(int frame_count, ElementState state);

// A colour button: a vertical gradient inside a one-pixel border.
struct ButtonLook {
  SkinColor top, bottom, border;
};
ButtonLook ButtonLookFor(const ButtonSkin& skin, ElementState state);

SkinColor TextColorFor(const StyleClass& style, ElementState state);

#endif  // UI_SKIN_SKIN_STATE_H_
