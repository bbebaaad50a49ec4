#include "channel/outgoing_frame_tracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Prefix(uint32_t length) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return bytes;
}

std::string Frame(const std::string& payload) {
  return Prefix(static_cast<uint32_t>(payload.size())) + payload;
}

// Payload text whose first four bytes read as a length far over the limit.
const std::string kPayload = "{\"action\":\"client_title_change\"}";

}  // namespace

TEST(OutgoingFrameTrackerTest, LengthLimitAtTheStartOfAFrame) {
  OutgoingFrameTracker tracker;
  EXPECT_TRUE(tracker.Admits(Prefix(1).data(), 4));
  EXPECT_TRUE(tracker.Admits(Prefix(0xFFFFF).data(), 4));
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
  EXPECT_FALSE(tracker.Admits(Prefix(0x7FFFFFFF).data(), 4));
  // Negative when read as signed, yet a length the extension refuses.
  EXPECT_FALSE(tracker.Admits(Prefix(0x80000000).data(), 4));
  EXPECT_FALSE(tracker.Admits(Prefix(0xFFFFFFFF).data(), 4));
  // Too short to carry a prefix.
  EXPECT_TRUE(tracker.Admits("\xFF\xFF\xFF", 3));
  EXPECT_TRUE(tracker.Admits("", 0));
}

TEST(OutgoingFrameTrackerTest, WholeFramesKeepEveryWriteAtAFrameStart) {
  OutgoingFrameTracker tracker;
  for (int i = 0; i < 3; ++i) {
    const std::string frame = Frame(kPayload);
    ASSERT_TRUE(tracker.Admits(frame.data(), frame.size()));
    tracker.Wrote(frame.data(), frame.size(), frame.size());
    // Had the tracker lost the boundary, this would pass as a continuation.
    EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
  }
}

TEST(OutgoingFrameTrackerTest, TheRestOfAPartlyWrittenFramePasses) {
  OutgoingFrameTracker tracker;
  const std::string frame = Frame(kPayload);
  ASSERT_TRUE(tracker.Admits(frame.data(), frame.size()));
  tracker.Wrote(frame.data(), frame.size(), 6);

  std::string rest = frame.substr(6);
  ASSERT_FALSE(OutgoingFrameTracker().Admits(rest.data(), rest.size()));
  EXPECT_TRUE(tracker.Admits(rest.data(), rest.size()));
  tracker.Wrote(rest.data(), rest.size(), 10);
  rest = rest.substr(10);
  EXPECT_TRUE(tracker.Admits(rest.data(), rest.size()));
  tracker.Wrote(rest.data(), rest.size(), rest.size());

  // The frame is complete: the next write is judged as a new frame.
  EXPECT_FALSE(tracker.Admits(rest.data(), rest.size()));
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
  EXPECT_TRUE(tracker.Admits(frame.data(), frame.size()));
}

TEST(OutgoingFrameTrackerTest, APrefixSplitAcrossWrites) {
  OutgoingFrameTracker tracker;
  const std::string frame = Frame(kPayload);
  tracker.Wrote(frame.data(), frame.size(), 2);
  const std::string rest = frame.substr(2);
  EXPECT_TRUE(tracker.Admits(rest.data(), rest.size()));
  tracker.Wrote(rest.data(), rest.size(), rest.size());
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
}

TEST(OutgoingFrameTrackerTest, AFrameOfWhichNothingWentOutHasNotStarted) {
  OutgoingFrameTracker tracker;
  const std::string frame = Frame(kPayload);
  tracker.Wrote(frame.data(), frame.size(), 0);
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
}

TEST(OutgoingFrameTrackerTest, AFailedWriteEndsTheFrame) {
  OutgoingFrameTracker tracker;
  const std::string frame = Frame(kPayload);
  tracker.Wrote(frame.data(), frame.size(), 5);
  tracker.Failed();
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
  EXPECT_TRUE(tracker.Admits(frame.data(), frame.size()));
}

TEST(OutgoingFrameTrackerTest, WritesTooShortForAPrefixDoNotOpenAFrame) {
  OutgoingFrameTracker tracker;
  tracker.Wrote("ab", 2, 2);
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
}

TEST(OutgoingFrameTrackerTest, LargestAdmittedFrame) {
  OutgoingFrameTracker tracker;
  const std::string frame = Frame(std::string(0xFFFFF, 'x'));
  ASSERT_TRUE(tracker.Admits(frame.data(), frame.size()));
  tracker.Wrote(frame.data(), frame.size(), 65536);
  const std::string rest = frame.substr(65536);
  EXPECT_TRUE(tracker.Admits(rest.data(), rest.size()));
  tracker.Wrote(rest.data(), rest.size(), rest.size() - 1);
  EXPECT_TRUE(tracker.Admits(rest.data() + rest.size() - 1, 1));
  tracker.Wrote(rest.data() + rest.size() - 1, 1, 1);
  EXPECT_FALSE(tracker.Admits(Prefix(0x100000).data(), 4));
}
