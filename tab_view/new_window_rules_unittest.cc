#include "tab_view/new_window_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(NewWindowRulesTest, ForcedOrSuggestedWindowsArePopups) {
  EXPECT_TRUE(AsksForPopup(0x10000));
  EXPECT_TRUE(AsksForPopup(0x40006));
  EXPECT_FALSE(AsksForPopup(0x20000 | 0x80000 | 0x6));
}

TEST(NewWindowRulesTest, AFolderHasNoDotAfterItsLastSlash) {
  EXPECT_TRUE(NamesFolder(L"file:///C:/Users/a.b/docs"));
  EXPECT_TRUE(NamesFolder(L"file:///C:/docs/"));
  EXPECT_FALSE(NamesFolder(L"file:///C:/docs/report.txt"));
  EXPECT_FALSE(NamesFolder(L"file:///C:/docs/.hidden"));
  EXPECT_FALSE(NamesFolder(L"file:C:\\docs"));
}

}  // namespace
