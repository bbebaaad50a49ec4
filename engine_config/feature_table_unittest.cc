#include "engine_config/feature_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

// Newer engines get what older ones get, in the same order, and engine 11
// three rows of its own. The emulation row comes first and carries the mode;
// of the rest, those that would break the pages shown are off.
TEST(FeatureTableTest, RowsByEngineVersion) {
  const int kCases[][3] = {{7, 0, 0},    {8, 29, 6},   {9, 36, 10},
                           {10, 36, 10}, {11, 39, 10}, {INT_MAX, 36, 10}};
  const std::vector<FeatureValue> eleven = FeatureValuesForEngine(11, 8888);
  EXPECT_STREQ(eleven[0].feature, L"FEATURE_BROWSER_EMULATION");
  EXPECT_EQ(eleven[0].value, 8888u);
  for (const auto& [version, rows, off] : kCases) {
    const std::vector<FeatureValue> values = FeatureValuesForEngine(version, 8888);
    ASSERT_EQ(values.size(), size_t(rows)) << version;
    int zeros = 0;
    for (size_t i = 0; i < values.size(); ++i) {
      EXPECT_STREQ(values[i].feature, eleven[i].feature) << version;
      zeros += i > 0 && values[i].value == 0;
    }
    EXPECT_EQ(zeros, off) << version;
  }
}
