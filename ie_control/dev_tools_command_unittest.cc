#include "ie_control/dev_tools_command.h"

#include <gtest/gtest.h>

TEST(DevToolsCommandTest, CommandLineInDecimalAttachArgumentWithTheWindowInHex) {
  EXPECT_EQ(DevToolsCommandLine(1234, 6699), L"/devtools /p:1234 /h:6699");
  EXPECT_EQ(AttachToolsArgument(1234, 6699), "1234 1a2b");
  EXPECT_EQ(AttachToolsArgument(0, 0xFFFFFFFF), "0 ffffffff");
}
