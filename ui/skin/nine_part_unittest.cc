#include "ui/skin/nine_part.h"

#include <gtest/gtest.h>

namespace {

TEST(NinePartTest, CornersKeepTheirSizeAndTheRestStretches) {
  const auto parts = SplitNineParts({106, 106}, 30, {0, 0, 486, 652});
  EXPECT_EQ(parts[0].source, (SkinRect{0, 0, 30, 30}));
  EXPECT_EQ(parts[0].destination, (SkinRect{0, 0, 30, 30}));
  EXPECT_EQ(parts[4].source, (SkinRect{30, 30, 76, 76}));
  EXPECT_EQ(parts[4].destination, (SkinRect{30, 30, 456, 622}));
  EXPECT_EQ(parts[5].destination, (SkinRect{456, 30, 486, 622}));
  EXPECT_EQ(parts[8].source, (SkinRect{76, 76, 106, 106}));
  EXPECT_EQ(parts[8].destination, (SkinRect{456, 622, 486, 652}));
}

TEST(NinePartTest, MarginsShrinkToFit) {
  // A destination narrower than two margins, and an offset one.
  auto parts = SplitNineParts({106, 106}, 30, {10, 20, 50, 100});
  EXPECT_EQ(parts[0].destination, (SkinRect{10, 20, 30, 40}));
  EXPECT_EQ(parts[0].source, (SkinRect{0, 0, 30, 30}));
  EXPECT_EQ(parts[4].destination, (SkinRect{30, 40, 30, 80}));
  parts = SplitNineParts({10, 10}, 30, {0, 0, 100, 100});
  EXPECT_EQ(parts[0].source, (SkinRect{0, 0, 5, 5}));
  EXPECT_EQ(parts[0].destination, (SkinRect{0, 0, 5, 5}));
  parts = SplitNineParts({106, 106}, -4, {0, 0, 100, 100});
  EXPECT_EQ(parts[4].destination, (SkinRect{0, 0, 100, 100}));
}

}  // namespace
