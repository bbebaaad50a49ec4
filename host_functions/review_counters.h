#ifndef HOST_FUNCTIONS_REVIEW_COUNTERS_H_
#define HOST_FUNCTIONS_REVIEW_COUNTERS_H_

// Completed pages count towards the rating prompt; counting stops at this
// many, and the prompt is due from then on until it has been shown once.
inline constexpr unsigned long kReviewOpenCountLimit = 10;

// The count to store after one more completed page.
unsigned long NextReviewOpenCount(unsigned long stored);
// `reviews` is non-zero once the prompt has been shown.
bool IsReviewDue(unsigned long reviews, unsigned long open_count);

#endif  // HOST_FUNCTIONS_REVIEW_COUNTERS_H_
