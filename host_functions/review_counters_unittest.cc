#include "host_functions/review_counters.h"

#include <gtest/gtest.h>

TEST(ReviewCountersTest, CountingStopsAtTheLimitAndThePromptIsDueOnceReached) {
  const struct { unsigned long stored, next; } counts[] = {{0, 1}, {9, 10}, {10, 10}, {25, 25}};
  for (const auto& c : counts)
    EXPECT_EQ(NextReviewOpenCount(c.stored), c.next) << c.stored;

  const struct {
    unsigned long reviews, open_count;
    bool due;
  } prompts[] = {{0, 9, false}, {0, 10, true}, {0, 11, true}, {1, 10, false}, {7, 25, false}};
  for (const auto& p : prompts)
    EXPECT_EQ(IsReviewDue(p.reviews, p.open_count), p.due) << p.reviews << " " << p.open_count;
}
