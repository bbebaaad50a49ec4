#ifndef HOST_FUNCTIONS_REVIEW_SETTINGS_H_
#define HOST_FUNCTIONS_REVIEW_SETTINGS_H_

#include <cstdint>

// The rating prompt's values under the user's "Software\tabbridge", which
// is created when missing. A value that is missing or not a REG_DWORD reads
// as 0.

// Counts one more completed page (up to the limit); the count now stored.
unsigned long IncrementReviewOpenCount();
// Whether the prompt may be shown without being asked for.
bool ShouldShowReview();
// The prompt is being shown, so it is never shown by itself again.
void MarkReviewShown();
// When it was last shown, in seconds since 1970 (UTC).
void StampReviewShown(uint32_t unix_time);

#endif  // HOST_FUNCTIONS_REVIEW_SETTINGS_H_
