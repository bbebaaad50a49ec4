#include "ui/banner/banner_model.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(BannerModelTest, NamesKnownModesAndFallsBackForOthers) {
  const struct {
    int mode;
    std::wstring link, long_name;
  } cases[] = {
      {7000, L"IE 7 \u25BE", L"IE 7 Standard Mode"},
      {8888, L"IE 8 \u25BE", L"IE 8 Mandatory Standard Mode"},
      {11001, L"IE 11 \u25BE", L"IE 11 Mandatory Standard Mode"},
      {10002, L"IE Mode \u25BE", L"IE Compatibility Mode"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ModeNameOf(c.mode).link, c.link) << c.mode;
    EXPECT_EQ(ModeNameOf(c.mode).long_name, c.long_name) << c.mode;
  }
}

TEST(BannerModelTest, MenuCommandsCountFromOneInModeOrder) {
  const int modes[] = {7000, 8000, 8888, 9000, 9999, 10000, 10001, 11000, 11001};
  ASSERT_EQ(ModeMenu().size(), 9u);
  for (unsigned command = 1; command <= 9; ++command) {
    EXPECT_EQ(ModeMenu()[command - 1].command, command);
    EXPECT_EQ(ModeOfCommand(command), modes[command - 1]);
  }
  EXPECT_EQ(ModeOfCommand(0), std::nullopt);
  EXPECT_EQ(ModeOfCommand(10), std::nullopt);
}

TEST(BannerModelTest, ScaleAndLinkPlacement) {
  EXPECT_FALSE(UsesLargeVariants(100));
  EXPECT_TRUE(UsesLargeVariants(125));
  EXPECT_EQ(ModeLinkPos(50, 300), "358,|-9");
  // A nonsense width never puts the link before the sentence.
  EXPECT_EQ(ModeLinkPos(50, -100), "50,|-9");
}

}  // namespace
