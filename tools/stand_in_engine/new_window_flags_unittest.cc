#include "tools/stand_in_engine/new_window_flags.h"

#include <gtest/gtest.h>

namespace {

OpenWindowAction Open(bool user_action, std::optional<std::wstring> features) {
  OpenWindowAction open;
  open.url = L"x";
  open.user_action = user_action;
  open.features = std::move(features);
  return open;
}

TEST(NewWindowFlagsTest, UserActionAndFeatures) {
  EXPECT_EQ(NewWindowFlags(Open(false, std::nullopt)), 0u);
  EXPECT_EQ(NewWindowFlags(Open(true, std::nullopt)), kNwmfUserInited | kNwmfFirst);
  EXPECT_EQ(NewWindowFlags(Open(false, L"width=200")), kNwmfSuggestWindow);
  EXPECT_EQ(NewWindowFlags(Open(true, L"width=200")),
            kNwmfUserInited | kNwmfFirst | kNwmfSuggestWindow);
  // Empty features ask for nothing.
  EXPECT_EQ(NewWindowFlags(Open(true, L"")), kNwmfUserInited | kNwmfFirst);
}

TEST(NewWindowFlagsTest, GivenFlagsReplaceTheComputedOnes) {
  OpenWindowAction open = Open(true, L"width=200");
  open.flags = 0;
  EXPECT_EQ(NewWindowFlags(open), 0u);
  open.flags = 0x10000;
  EXPECT_EQ(NewWindowFlags(open), 0x10000u);
}

}  // namespace
