#include "main_frame/tab_geometry.h"

#include <gtest/gtest.h>

#include <climits>

TEST(TabGeometryTest, DpiScalesSnapDownToSupportedSteps) {
  const struct {
    int percent;
    int snapped;
    int banner;
  } cases[] = {
      {-5, 100, 30},  {96, 100, 30},      {110, 100, 30}, {124, 100, 30}, {125, 125, 37},
      {149, 125, 37}, {150, 150, 45},     {174, 150, 45}, {175, 175, 52}, {199, 175, 52},
      {200, 200, 60}, {249, 200, 60},     {250, 250, 75}, {299, 250, 75}, {300, 300, 90},
      {500, 300, 90}, {INT_MAX, 300, 90},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SnapDpiScale(c.percent), c.snapped) << c.percent;
    EXPECT_EQ(BannerHeightForDpiScale(c.percent), c.banner) << c.percent;
  }
}

TEST(TabGeometryTest, RenderWindowMayDifferByTenPixels) {
  EXPECT_TRUE(RenderSizeMatches(800, 600, 800, 600));
  EXPECT_TRUE(RenderSizeMatches(800, 600, 790, 600));
  EXPECT_TRUE(RenderSizeMatches(800, 600, 810, 590));
  EXPECT_FALSE(RenderSizeMatches(800, 600, 789, 600));
  EXPECT_FALSE(RenderSizeMatches(800, 600, 800, 611));
  EXPECT_FALSE(RenderSizeMatches(INT_MIN, 0, INT_MAX, 0)) << "no overflow";
}

TEST(TabGeometryTest, FocusGateIsFourHundredMillisecondsAcrossWrap) {
  EXPECT_TRUE(WithinFocusGate(1000, 1000));
  EXPECT_TRUE(WithinFocusGate(1000, 1399));
  EXPECT_FALSE(WithinFocusGate(1000, 1400));
  EXPECT_TRUE(WithinFocusGate(0xFFFFFF00u, 0x00000010u));
  EXPECT_FALSE(WithinFocusGate(0xFFFFFF00u, 0x00000100u));
}
