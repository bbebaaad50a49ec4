#include "host_functions/version_compare.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

// The result is the first differing part of the first version minus the
// second's; missing or unreadable parts count as zero.
TEST(VersionCompareTest, FirstDifferingPartDecides) {
  const struct {
    const char* first;
    const char* second;
    int result;
  } cases[] = {{"2.26.20.0", "2.26.20.0", 0},
               {"2.26.20.0", "2.26.23.0", -3},
               {"2.26", "2.26.0.1", -1},
               {"2.x.1.1", "2.0.0.0", 0},
               {"2,3.4.5", "2", 0},
               {"2.3beta.4.5", "2.3", 0},  // a part ends at its last digit
               {"1.2.3.4.5", "1.2.3.4", 0},
               {" 2. 26.\t20.+0", "2.26.20.0", 0},
               {"-1.0.0.0", "1.0.0.0", -2},
               {"99999999999999999999", "2147483647", 0},
               {"2147483647", "-2147483648", INT_MAX},  // the difference overflows an int
               {"-2", "2147483647", INT_MIN}};
  for (const auto& c : cases)
    EXPECT_EQ(CompareVersions(c.first, c.second), c.result) << c.first << " " << c.second;
}

}  // namespace
