#include "channel/native_message.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/channel_test_util.h"

namespace {

// Input in pieces of at most `max_read` bytes, then end (or a failure); the
// output as written, at most `max_write` bytes a call (none: a failure).
class FakeStream : public NativeMessage::Stream {
 public:
  int Read(void* buffer, size_t size) override {
    largest_read = std::max(largest_read, size);
    if (input.empty())
      return end_with_error ? -1 : 0;
    const size_t n = std::min({size, max_read, input.size()});
    std::memcpy(buffer, input.data(), n);
    input.remove_prefix(n);
    return static_cast<int>(n);
  }
  int Write(const void* data, size_t size) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (max_write == 0)
      return -1;
    const size_t n = std::min(size, max_write);
    output.append(static_cast<const char*>(data), n);
    std::this_thread::yield();  // unlocked writers would interleave here
    return static_cast<int>(n);
  }
  void Flush() override { ++flushes; }

  std::string_view input;
  size_t max_read = SIZE_MAX;
  bool end_with_error = false;
  size_t largest_read = 0;
  size_t max_write = SIZE_MAX;
  int flushes = 0;
  std::string output;

 private:
  std::mutex mutex_;
};

// Keeps posted calls to run later, as the user-interface thread would; the
// first `refusals` posts are refused and the next `failures` throw.
class QueueRunner : public NativeMessage::CallRunner {
 public:
  bool PostCall(std::function<void()> call) override {
    if (refusals > 0) {
      --refusals;
      return false;
    }
    if (failures > 0) {
      --failures;
      throw std::bad_alloc();
    }
    posted.push_back(std::move(call));
    return true;
  }
  void SendCall(const std::function<void()>& call) override { call(); }

  std::deque<std::function<void()>> posted;
  int refusals = 0;
  int failures = 0;
};

class RecordingDelegate : public NativeMessage::Delegate {
 public:
  bool CrxPing(const PingParams& p) override {
    return Add("ping " + std::to_string(p.session_id) + " " + std::to_string(p.cmd.size()));
  }
  bool QuitExtension() override { return Add("quit"); }
  void OnRequestDropped(std::string_view where) override { Add("dropped " + std::string(where)); }

  std::string calls;

 private:
  bool Add(const std::string& call) {
    calls += (calls.empty() ? "" : "; ") + call;
    return true;
  }
};

std::string Ping(int session, size_t cmd_size = 0) {
  return Frame(R"({"action":"host_ping","session_id":)" + std::to_string(session) + R"(,"cmd":")" +
               std::string(cmd_size, 'a') + "\"}");
}

class NativeMessageTest : public testing::Test {
 protected:
  // What the delegate is handed for `input`: what the reader sends at once,
  // then what it posted to the user-interface thread.
  std::string Read(const std::string& input, bool stopped = false) {
    stream_.input = input;
    if (stopped)
      channel_.Stop();
    channel_.ReadLoop();
    for (; !runner_.posted.empty(); runner_.posted.pop_front())
      runner_.posted.front()();
    return std::exchange(delegate_.calls, "");
  }

  FakeStream stream_;
  QueueRunner runner_;
  RecordingDelegate delegate_;
  NativeMessage channel_{&delegate_, &stream_, &runner_};
};

TEST_F(NativeMessageTest, DispatchesFramesInOrderWhateverTheReadSizes) {
  // The second message spans several of the reader's chunks; end of input is
  // sent, so it overtakes the requests still queued.
  for (size_t max_read : {size_t{1}, size_t{3}, size_t{50000}}) {
    stream_.max_read = max_read;
    EXPECT_EQ(Read(Ping(1) + Ping(2, 200 * 1024) + Ping(3)),
              "quit; ping 1 0; ping 2 204800; ping 3 0")
        << max_read;
  }
}

TEST_F(NativeMessageTest, InvalidOrMissingInputEndsTheChannel) {
  EXPECT_EQ(Read(""), "quit");
  stream_.end_with_error = true;
  EXPECT_EQ(Read(""), "quit") << "read failure";
  for (const std::string& input : {
           LengthPrefix(0) + Ping(1),
           LengthPrefix(0x80000000u) + std::string(16, 'x'),
           LengthPrefix(0xFFFFFFFFu),
           std::string("\x05\x00", 2),
           LengthPrefix(100) + std::string(99, ' '),
           LengthPrefix(0x7FFFFFFF) + std::string(1000, 'x'),
       }) {
    EXPECT_EQ(Read(input), "quit") << input.size();
  }
  // Memory follows the bytes that arrive, not the length announced.
  EXPECT_LE(stream_.largest_read, size_t{1} << 20);
}

TEST_F(NativeMessageTest, StopFlagEndsTheLoopAfterTheMessageInHand) {
  EXPECT_EQ(Read(Ping(1) + Ping(2), /*stopped=*/true), "ping 1 0");
}

TEST_F(NativeMessageTest, RequestsThatCannotBeQueuedAreLostAndReadingGoesOn) {
  runner_.refusals = 1;
  runner_.failures = 1;  // only a failure for want of memory is reported
  EXPECT_EQ(Read(Ping(1) + Ping(2) + Ping(3)), "dropped PostCall; quit; ping 3 0");
}

TEST_F(NativeMessageTest, WritesFrameWholeTextsBelowOneMebibyteWithALittleEndianLength) {
  stream_.max_write = 3;
  EXPECT_FALSE(channel_.WriteMessage(""));
  EXPECT_FALSE(channel_.WriteMessage(std::string(1048576, 'x')));
  ASSERT_TRUE(channel_.WriteMessage("{\"a\":1}"));
  EXPECT_EQ(stream_.output, std::string("\x07\x00\x00\x00{\"a\":1}", 11));
  EXPECT_EQ(stream_.flushes, 1);
  stream_.max_write = SIZE_MAX;
  ASSERT_TRUE(channel_.WriteMessage(std::string(1048575, 'x')));
  EXPECT_EQ(SplitFrames(stream_.output).back(), std::string(1048575, 'x'));
  stream_.max_write = 0;
  EXPECT_FALSE(channel_.WriteMessage("lost"));
}

TEST_F(NativeMessageTest, ConcurrentWritersNeverInterleaveFrames) {
  stream_.max_write = 5;
  std::vector<std::thread> threads;
  for (char letter = 'a'; letter < 'e'; ++letter) {
    threads.emplace_back([&, letter] {
      for (int i = 0; i < 200; ++i)
        EXPECT_TRUE(channel_.WriteMessage(std::string(12, letter)));
    });
  }
  for (auto& thread : threads)
    thread.join();
  const auto frames = SplitFrames(stream_.output);
  EXPECT_EQ(frames.size(), 800u);
  for (const auto& frame : frames)
    ASSERT_EQ(frame, std::string(12, frame[0]));
}

}  // namespace
