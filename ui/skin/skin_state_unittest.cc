#include "ui/skin/skin_state.h"

#include <gtest/gtest.h>

namespace {

constexpr ElementState kStates[] = {ElementState::kNormal, ElementState::kHover,
                                    ElementState::kPressed, ElementState::kDisabled};

TEST(SkinStateTest, StripFrames) {
  struct Case {
    int frames;
    StripFrame expected[4];  // normal, hover, pressed, disabled
  } cases[] = {
      {1, {{0, false}, {0, false}, {0, false}, {0, true}}},
      {3, {{0, false}, {1, false}, {2, false}, {0, true}}},
      {4, {{0, false}, {1, false}, {2, false}, {3, false}}},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 4; ++i) {
      const StripFrame frame = StripFrameFor(c.frames, kStates[i]);
      EXPECT_EQ(frame.index, c.expected[i].index) << c.frames << " frames, state " << i;
      EXPECT_EQ(frame.faded, c.expected[i].faded) << c.frames << " frames, state " << i;
    }
  }
}

TEST(SkinStateTest, EveryStateOfAColourButtonLooksDifferent) {
  const ButtonSkin skin{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0},
                        {5, 0, 0}, {6, 0, 0}, {7, 0, 0}, {8, 0, 0}};
  const int expected[4][2] = {{3, 4}, {5, 6}, {7, 8}, {2, 2}};
  for (int i = 0; i < 4; ++i) {
    const ButtonLook look = ButtonLookFor(skin, kStates[i]);
    EXPECT_EQ(look.top.red, expected[i][0]) << i;
    EXPECT_EQ(look.bottom.red, expected[i][1]) << i;
    EXPECT_EQ(look.border.red, 1) << i;
  }
}

TEST(SkinStateTest, TextColours) {
  StyleClass style;
  EXPECT_EQ(TextColorFor(style, ElementState::kHover), SkinColor{});
  style.text = SkinColor{1, 1, 1};
  EXPECT_EQ(TextColorFor(style, ElementState::kDisabled), style.text);
  style.hover = SkinColor{2, 2, 2};
  style.disabled = SkinColor{3, 3, 3};
  EXPECT_EQ(TextColorFor(style, ElementState::kNormal), style.text);
  EXPECT_EQ(TextColorFor(style, ElementState::kHover), style.hover);
  EXPECT_EQ(TextColorFor(style, ElementState::kPressed), style.hover);
  EXPECT_EQ(TextColorFor(style, ElementState::kDisabled), style.disabled);
}

}  // namespace
