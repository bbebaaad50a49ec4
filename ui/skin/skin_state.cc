#include "ui/skin/skin_state.h"

StripFrame StripFrameFor(int frame_count, ElementState state) {
  const int index = static_cast<int>(state);
  if (index < frame_count)
    return {index, false};
  return {0, state == ElementState::kDisabled};
}

ButtonLook ButtonLookFor(const ButtonSkin& skin, ElementState state) {
  switch (state) {
    case ElementState::kHover:
      return {skin.hover_up, skin.hover_down, skin.border};
    case ElementState::kPressed:
      return {skin.push_up, skin.push_down, skin.border};
    case ElementState::kDisabled:
      return {skin.background, skin.background, skin.border};
    case ElementState::kNormal:
      break;
  }
  return {skin.up, skin.down, skin.border};
}

SkinColor TextColorFor(const StyleClass& style, ElementState state) {
  if (state == ElementState::kDisabled && style.disabled)
    return *style.disabled;
  if ((state == ElementState::kHover || state == ElementState::kPressed) && style.hover)
    return *style.hover;
  return style.text.value_or(SkinColor{});
}
