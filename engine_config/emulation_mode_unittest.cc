#include "engine_config/emulation_mode.h"

#include <gtest/gtest.h>

#include <climits>

TEST(EmulationModeTest, DefaultFollowsTheEngineVersion) {
  EXPECT_EQ(DefaultEmulationForEngine(7), 7000);
  EXPECT_EQ(DefaultEmulationForEngine(8), 8000);
  EXPECT_EQ(DefaultEmulationForEngine(9), 9000);
  EXPECT_EQ(DefaultEmulationForEngine(10), 10000);
  EXPECT_EQ(DefaultEmulationForEngine(11), 11000);
}

TEST(EmulationModeTest, DefaultOutsideTheKnownVersions) {
  EXPECT_EQ(DefaultEmulationForEngine(12), 11000);
  EXPECT_EQ(DefaultEmulationForEngine(INT_MAX), 11000);
  EXPECT_EQ(DefaultEmulationForEngine(6), 7000);  // what Wine's engine reports
  EXPECT_EQ(DefaultEmulationForEngine(0), 7000);
  EXPECT_EQ(DefaultEmulationForEngine(-1), 7000);
  EXPECT_EQ(DefaultEmulationForEngine(INT_MIN), 7000);
}

// Forced modes share the short label of their version.
TEST(EmulationModeTest, StandardAndMandatoryLabels) {
  EXPECT_STREQ(EmulationLongLabel(8000), "IE 8 Standard Mode");
  EXPECT_STREQ(EmulationLongLabel(8888), "IE 8 Mandatory Standard Mode");
  EXPECT_STREQ(EmulationShortLabel(8888), "IE 8");
  EXPECT_STREQ(EmulationLongLabel(10001), "IE 10 Mandatory Standard Mode");
  EXPECT_STREQ(EmulationShortLabel(10001), "IE 10");
  EXPECT_STREQ(EmulationLongLabel(11000), "IE 11 Standard Mode");
  EXPECT_STREQ(EmulationShortLabel(11000), "IE 11");
}

TEST(EmulationModeTest, UnknownModesGetTheCompatibilityLabels) {
  for (int emulation : {0, -1, 7001, 8001, 8887, 9998, 10002, 11002, 12000, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(emulation);
    EXPECT_STREQ(EmulationLongLabel(emulation), "IE Compatibility Mode");
    EXPECT_STREQ(EmulationShortLabel(emulation), "IE Mode");
  }
}
