#include "engine_config/emulation_mode.h"

#include <gtest/gtest.h>

#include <climits>

TEST(EmulationModeTest, DefaultFollowsTheEngineVersion) {
  const int kCases[][2] = {{INT_MIN, 7000}, {6, 7000},   {7, 7000},   {8, 8000},
                           {10, 10000},     {11, 11000}, {12, 11000}, {INT_MAX, 11000}};
  for (const auto& [version, mode] : kCases)
    EXPECT_EQ(DefaultEmulationForEngine(version), mode) << version;
}

TEST(EmulationModeTest, Labels) {
  EXPECT_STREQ(EmulationLongLabel(8888), "IE 8 Mandatory Standard Mode");
  EXPECT_STREQ(EmulationShortLabel(8888), "IE 8");
  EXPECT_STREQ(EmulationShortLabel(11000), "IE 11");
  for (int unknown : {0, 8001, 8887, 11002, INT_MIN}) {
    EXPECT_STREQ(EmulationLongLabel(unknown), "IE Compatibility Mode");
    EXPECT_STREQ(EmulationShortLabel(unknown), "IE Mode");
  }
}
