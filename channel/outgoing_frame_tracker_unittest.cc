#include "channel/outgoing_frame_tracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/channel_test_util.h"

namespace {

// Payload text whose first four bytes read as a length far over the limit.
const std::string kFrame = Frame("{\"action\":\"client_title_change\"}");
const std::string kOverLimit = LengthPrefix(0x100000);

bool Admits(const OutgoingFrameTracker& tracker, const std::string& bytes) {
  return tracker.Admits(bytes.data(), bytes.size());
}

}  // namespace

TEST(OutgoingFrameTrackerTest, LengthLimitAtTheStartOfAFrame) {
  OutgoingFrameTracker tracker;
  // 0x80000000 and above are negative when read as signed, yet lengths the
  // extension refuses.
  for (uint32_t length : {1u, 0xFFFFFu, 0x100000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
    EXPECT_EQ(Admits(tracker, LengthPrefix(length)), length < 0x100000u) << length;
  // Too short to carry a prefix.
  EXPECT_TRUE(Admits(tracker, "\xFF\xFF\xFF"));
  EXPECT_TRUE(Admits(tracker, ""));
}

TEST(OutgoingFrameTrackerTest, TheRestOfAPartlyWrittenFramePasses) {
  for (size_t first : {size_t{2}, size_t{6}}) {
    SCOPED_TRACE(first);
    OutgoingFrameTracker tracker;
    tracker.Wrote(kFrame.data(), kFrame.size(), first);
    std::string rest = kFrame.substr(first);
    ASSERT_FALSE(Admits(OutgoingFrameTracker(), rest));
    EXPECT_TRUE(Admits(tracker, rest));
    tracker.Wrote(rest.data(), rest.size(), 10);
    rest = rest.substr(10);
    EXPECT_TRUE(Admits(tracker, rest));
    tracker.Wrote(rest.data(), rest.size(), rest.size());
    // The frame is complete: the next write is judged as a new frame.
    EXPECT_FALSE(Admits(tracker, kOverLimit));
    EXPECT_TRUE(Admits(tracker, kFrame));
  }
}

TEST(OutgoingFrameTrackerTest, AFrameOfWhichNothingWentOutHasNotStarted) {
  OutgoingFrameTracker tracker;
  tracker.Wrote(kFrame.data(), kFrame.size(), 0);
  EXPECT_FALSE(Admits(tracker, kOverLimit));
  // Nor one too short for a prefix, nor one whose write failed.
  tracker.Wrote("ab", 2, 2);
  EXPECT_FALSE(Admits(tracker, kOverLimit));
  tracker.Wrote(kFrame.data(), kFrame.size(), 5);
  tracker.Failed();
  EXPECT_FALSE(Admits(tracker, kOverLimit));
}
