#include "ui/rating/rating_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(RatingPlacementTest, CentredOnTheOwnerByIntegerHalves) {
  EXPECT_EQ(CentreOn({0, 0, 430, 596}, {40, 110, 1025, 711}), (SkinRect{317, 112, 747, 708}));
  EXPECT_EQ(CentreOn({500, 500, 930, 1096}, {0, 0, 1280, 800}), (SkinRect{425, 102, 855, 698}));
}

// At 100 % a 1920x1080 screen, a 40-pixel taskbar and a 17-pixel margin; at
// 150 % the same screen has 2880x1620 pixels, a 60-pixel taskbar, margin 25.
TEST(RatingPlacementTest, BesideTheTaskbarOnEachEdge) {
  const struct {
    const char* name;
    SkinSize screen;
    int margin;
    std::optional<SkinRect> taskbar;
    int left, top;
  } cases[] = {
      {"none", {1920, 1080}, 17, std::nullopt, 1473, 474},
      {"bottom", {1920, 1080}, 17, SkinRect{0, 1040, 1920, 1080}, 1473, 434},
      {"top", {1920, 1080}, 17, SkinRect{0, 0, 1920, 40}, 1473, 474},
      {"left", {1920, 1080}, 17, SkinRect{0, 0, 62, 1080}, 1473, 474},
      {"right", {1920, 1080}, 17, SkinRect{1858, 0, 1920, 1080}, 1411, 474},
      {"bottom 150", {2880, 1620}, 25, SkinRect{0, 1560, 2880, 1620}, 2425, 954},
      {"top 150", {2880, 1620}, 25, SkinRect{0, 0, 2880, 60}, 2425, 1014},
      {"left 150", {2880, 1620}, 25, SkinRect{0, 0, 93, 1620}, 2425, 1014},
      {"right 150", {2880, 1620}, 25, SkinRect{2787, 0, 2880, 1620}, 2332, 1014},
  };
  for (const auto& c : cases) {
    const SkinRect placed = BesideTaskbar({430, 596}, c.screen, c.margin, c.taskbar);
    EXPECT_EQ(placed, (SkinRect{c.left, c.top, c.left + 430, c.top + 595})) << c.name;
  }
}

}  // namespace
