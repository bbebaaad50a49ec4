#include "ui/skin/skin_pos.h"

#include <gtest/gtest.h>

namespace {

constexpr SkinRect kDialog{0, 0, 430, 596};
constexpr SkinRect kBanner{0, 0, 600, 30};

TEST(SkinPosTest, CoordinatesFromEachEdgeAndTheCentre) {
  struct Case {
    const char* pos;
    SkinRect parent;
    SkinSize natural;
    SkinRect expected;
  } cases[] = {
      {"|-16,66,|16,98", kDialog, {}, {199, 66, 231, 98}},
      {"-38,|-8", kBanner, {16, 17}, {562, 7, 578, 24}},
      {"-0,-0", kBanner, {5, 5}, {600, 30, 605, 35}},
      {"|0,|0", kBanner, {0, 0}, {300, 15, 300, 15}},
      {"36,150,-36,208", kDialog, {99, 99}, {36, 150, 394, 208}},
      // Odd sizes: the centre is the integer half; children stay in the
      // parent's coordinates.
      {"|-1,|1", {10, 20, 15, 27}, {2, 2}, {11, 24, 13, 26}},
      // A far corner before the near one leaves an empty rectangle.
      {"50,10,-560,5", kBanner, {}, {50, 10, 50, 10}},
      {" 1 , 2 ", kBanner, {3, 4}, {1, 2, 4, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pos);
    const std::optional<SkinPos> pos = ParsePos(c.pos);
    ASSERT_TRUE(pos);
    EXPECT_EQ(ResolvePos(*pos, c.parent, c.natural), c.expected);
  }
}

TEST(SkinPosTest, MalformedTextIsRefused) {
  for (const char* text : {"", "1", "1,2,3", "1,2,3,4,5", "1,,2", "a,2", "1,2x", "--1,2", "|,2",
                           "-|1,2", "|--1,2", "+1,2", "1.5,2", "1,2,", "100001,0"}) {
    EXPECT_FALSE(ParsePos(text)) << text;
  }
}

}  // namespace
