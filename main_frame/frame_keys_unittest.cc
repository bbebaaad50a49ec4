#include "main_frame/frame_keys.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned kKeyDown = 0x0100;
constexpr unsigned kKeyUp = 0x0101;
constexpr unsigned kChar = 0x0102;
constexpr unsigned kSysKeyDown = 0x0104;
constexpr unsigned kF4 = 115;
constexpr unsigned kF8 = 119;
constexpr unsigned kF12 = 123;

FrameKeyCommand Classify(unsigned message,
                         unsigned key,
                         bool ctrl,
                         bool shift = false,
                         bool alt = false,
                         bool dev_tools_allowed = true) {
  return ClassifyFrameKey({message, key, ctrl, shift, alt}, dev_tools_allowed);
}

TEST(FrameKeysTest, F12OpensTheToolsOnlyWhenAllowed) {
  EXPECT_EQ(Classify(kKeyDown, kF12, false), FrameKeyCommand::kOpenDevTools);
  EXPECT_EQ(Classify(kKeyDown, kF12, true, true, false), FrameKeyCommand::kOpenDevTools);
  EXPECT_EQ(Classify(kKeyDown, kF12, false, false, false, /*dev_tools_allowed=*/false),
            FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kKeyUp, kF12, false), FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kSysKeyDown, kF12, false), FrameKeyCommand::kNone);
}

TEST(FrameKeysTest, CtrlSAndCtrlWWithoutOtherModifiers) {
  for (unsigned message : {kKeyDown, kSysKeyDown}) {
    EXPECT_EQ(Classify(message, 'S', true), FrameKeyCommand::kSaveAs);
    EXPECT_EQ(Classify(message, 'W', true), FrameKeyCommand::kClose);
  }
  EXPECT_EQ(Classify(kKeyDown, 'S', false), FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kKeyDown, 'S', true, /*shift=*/true), FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kKeyDown, 'S', true, false, /*alt=*/true), FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kKeyUp, 'S', true), FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kChar, 'S', true), FrameKeyCommand::kNone);
  // Function keys with the codes of lower-case s and w.
  EXPECT_EQ(Classify(kKeyDown, kF4, true), FrameKeyCommand::kNone);
  EXPECT_EQ(Classify(kKeyDown, kF8, true), FrameKeyCommand::kNone);
}

}  // namespace
