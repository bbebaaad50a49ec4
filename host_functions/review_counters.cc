#include "host_functions/review_counters.h"

unsigned long NextReviewOpenCount(unsigned long stored) {
  return stored < kReviewOpenCountLimit ? stored + 1 : stored;
}

bool IsReviewDue(unsigned long reviews, unsigned long open_count) {
  return reviews == 0 && open_count >= kReviewOpenCountLimit;
}
