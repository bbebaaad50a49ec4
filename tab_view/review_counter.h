#ifndef TAB_VIEW_REVIEW_COUNTER_H_
#define TAB_VIEW_REVIEW_COUNTER_H_

// Completed pages count towards the rating prompt ("review_open_count" under
// the user's "Software\tabbridge"); counting stops at this many.
inline constexpr unsigned long kReviewOpenCountLimit = 10;

// Counts one more completed page unless the limit is reached; returns the
// count now stored. A missing value, or one that is not a REG_DWORD, counts
// as 0.
unsigned long IncrementReviewOpenCount();

#endif  // TAB_VIEW_REVIEW_COUNTER_H_
