#include "ui/banner/banner_model.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(BannerModelTest, NamesEveryMode) {
  struct Case {
    int mode;
    const wchar_t* link;
    const wchar_t* long_name;
  };
  const Case cases[] = {
      {7000, L"IE 7 \u25BE", L"IE 7 Standard Mode"},
      {8888, L"IE 8 \u25BE", L"IE 8 Mandatory Standard Mode"},
      {10001, L"IE 10 \u25BE", L"IE 10 Mandatory Standard Mode"},
      {11000, L"IE 11 \u25BE", L"IE 11 Standard Mode"},
      {11001, L"IE 11 \u25BE", L"IE 11 Mandatory Standard Mode"},
      {10002, L"IE Mode \u25BE", L"IE Compatibility Mode"},
      {0, L"IE Mode \u25BE", L"IE Compatibility Mode"},
  };
  for (const Case& c : cases) {
    const ModeName name = ModeNameOf(c.mode);
    EXPECT_EQ(std::wstring(name.link), c.link) << c.mode;
    EXPECT_EQ(std::wstring(name.long_name), c.long_name) << c.mode;
  }
}

TEST(BannerModelTest, MenuHoldsTheNineModesInOrderAndEachHasItsOwnName) {
  const int expected[] = {7000, 8000, 8888, 9000, 9999, 10000, 10001, 11000, 11001};
  ASSERT_EQ(ModeMenu().size(), 9u);
  std::wstring previous;
  for (size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(ModeMenu()[i].command, i + 1);
    EXPECT_EQ(ModeMenu()[i].mode, expected[i]);
    EXPECT_EQ(ModeOfCommand(static_cast<unsigned>(i + 1)), expected[i]);
    const std::wstring name = ModeNameOf(expected[i]).long_name;
    EXPECT_NE(name, previous);
    EXPECT_NE(name, L"IE Compatibility Mode");
    previous = name;
  }
  EXPECT_EQ(ModeOfCommand(0), std::nullopt);
  EXPECT_EQ(ModeOfCommand(10), std::nullopt);
}

TEST(BannerModelTest, LargeVariantsAboveOneHundredPercent) {
  EXPECT_FALSE(UsesLargeVariants(100));
  EXPECT_TRUE(UsesLargeVariants(125));
  EXPECT_TRUE(UsesLargeVariants(300));
}

TEST(BannerModelTest, LinkFollowsTheSentenceEightPixelsOn) {
  EXPECT_EQ(ModeLinkPos(50, 300), "358,|-9");
  EXPECT_EQ(ModeLinkPos(50, 0), "58,|-9");
  // A nonsense width never puts the link before the sentence.
  EXPECT_EQ(ModeLinkPos(50, -100), "50,|-9");
}

}  // namespace
