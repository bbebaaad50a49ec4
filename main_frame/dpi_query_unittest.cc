#include "main_frame/dpi_query.h"

#include <gtest/gtest.h>

namespace {

TEST(DpiQueryTest, ChosenBySystemVersion) {
  EXPECT_EQ(ChooseDpiQuery(5, 1, 2600), DpiQuery::kNone);
  EXPECT_EQ(ChooseDpiQuery(6, 0, 6002), DpiQuery::kNone);
  EXPECT_EQ(ChooseDpiQuery(6, 1, 7599), DpiQuery::kNone);
  EXPECT_EQ(ChooseDpiQuery(6, 1, 7600), DpiQuery::kDeviceContext);
  EXPECT_EQ(ChooseDpiQuery(6, 2, 9200), DpiQuery::kDeviceContext);
  EXPECT_EQ(ChooseDpiQuery(6, 3, 0), DpiQuery::kMonitor);
  EXPECT_EQ(ChooseDpiQuery(10, 0, 14954), DpiQuery::kMonitor);
  EXPECT_EQ(ChooseDpiQuery(10, 0, 14955), DpiQuery::kWindow);
  EXPECT_EQ(ChooseDpiQuery(10, 1, 0), DpiQuery::kWindow);
}

TEST(DpiQueryTest, PercentOf96RoundsDown) {
  EXPECT_EQ(DpiToPercent(96), 100);
  EXPECT_EQ(DpiToPercent(120), 125);
  EXPECT_EQ(DpiToPercent(119), 123);
  EXPECT_EQ(DpiToPercent(0), 0);
}

}  // namespace
