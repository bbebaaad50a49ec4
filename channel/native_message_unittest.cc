#include "channel/native_message.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <new>
#include <thread>
#include <vector>

#include "tests/channel_test_util.h"

namespace {

// While a test watches: the largest allocation seen, and the count of those
// of at least `g_count_from` bytes, which fail when `g_fail` is set.
std::atomic<bool> g_watch{false};
std::atomic<size_t> g_largest{0};
std::atomic<size_t> g_count_from{0};
std::atomic<int> g_counted{0};
std::atomic<bool> g_fail{false};

}  // namespace

void* operator new(size_t size) {
  if (g_watch.load(std::memory_order_relaxed))
    g_largest = std::max(g_largest.load(), size);
  const size_t from = g_count_from.load(std::memory_order_relaxed);
  if (from != 0 && size >= from) {
    ++g_counted;
    if (g_fail)
      throw std::bad_alloc();
  }
  if (void* p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}

namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::InSequence;

// Input in pieces of at most `max_read` bytes, then end (or a failure).
class FakeStream : public NativeMessage::Stream {
 public:
  explicit FakeStream(std::string input = {}, size_t max_read = SIZE_MAX)
      : input_(std::move(input)), max_read_(max_read) {}

  int Read(void* buffer, size_t size) override {
    largest_read = std::max(largest_read, size);
    if (pos_ >= input_.size())
      return end_with_error ? -1 : 0;
    const size_t n = std::min({size, max_read_, input_.size() - pos_});
    std::memcpy(buffer, input_.data() + pos_, n);
    pos_ += n;
    return static_cast<int>(n);
  }
  int Write(const void* data, size_t size) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fail_writes)
      return -1;
    const size_t n = std::min(size, max_write);
    output.append(static_cast<const char*>(data), n);
    // Unlocked writers would interleave here.
    std::this_thread::yield();
    ++write_calls;
    return static_cast<int>(n);
  }
  void Flush() override { ++flushes; }

  size_t max_write = SIZE_MAX;
  bool fail_writes = false;
  bool end_with_error = false;
  size_t largest_read = 0;
  int write_calls = 0;
  int flushes = 0;
  std::string output;

 private:
  std::string input_;
  size_t pos_ = 0;
  size_t max_read_;
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
  void SendCall(const std::function<void()>& call) override {
    ++sent;
    call();
  }
  void RunPosted() {
    for (; !posted.empty(); posted.pop_front())
      posted.front()();
  }

  std::deque<std::function<void()>> posted;
  int sent = 0;
  int refusals = 0;
  int failures = 0;
};

class MockDelegate : public NativeMessage::Delegate {
 public:
  MOCK_METHOD(bool, CrxPing, (const PingParams&), (override));
  MOCK_METHOD(bool, QuitExtension, (), (override));
  MOCK_METHOD(bool, CrxUpdate, (const UpdateParams&), (override));
  MOCK_METHOD(void, OnRequestDropped, (std::string_view), (override));
};

std::string Ping(int session, const std::string& cmd = "") {
  return R"({"action":"host_ping","session_id":)" + std::to_string(session) + R"(,"cmd":")" + cmd +
         "\"}";
}

auto PingOf(int session) {
  return Field(&PingParams::session_id, session);
}

TEST(NativeMessageReadTest, DispatchesFramesInOrderWhateverTheReadSizes) {
  // The second message spans several of the reader's chunks.
  const std::string big(200 * 1024, 'a');
  for (size_t max_read : {size_t{1}, size_t{3}, size_t{50000}}) {
    SCOPED_TRACE(max_read);
    FakeStream stream(Frame(Ping(1)) + Frame(Ping(2, big)) + Frame(Ping(3)), max_read);
    QueueRunner runner;
    MockDelegate delegate;
    {
      InSequence order;
      EXPECT_CALL(delegate, QuitExtension());
      EXPECT_CALL(delegate, CrxPing(PingOf(1)));
      EXPECT_CALL(delegate, CrxPing(AllOf(PingOf(2), Field(&PingParams::cmd, big))));
      EXPECT_CALL(delegate, CrxPing(PingOf(3)));
    }
    NativeMessage channel(&delegate, &stream, &runner);
    channel.ReadLoop();
    // End of input is sent, so it overtakes the requests still queued.
    EXPECT_EQ(runner.sent, 1);
    runner.RunPosted();
  }
}

TEST(NativeMessageReadTest, InvalidOrMissingInputEndsTheChannel) {
  const struct {
    const char* name;
    std::string input;
    bool read_fails = false;
  } cases[] = {
      {"empty stream", ""},
      {"read failure", "", true},
      {"zero length", LengthPrefix(0) + Frame(Ping(1))},
      {"negative length", LengthPrefix(0x80000000u) + std::string(16, 'x')},
      {"all bits set", LengthPrefix(0xFFFFFFFFu)},
      {"short header", std::string("\x05\x00", 2)},
      {"truncated payload", LengthPrefix(100) + std::string(99, ' ')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeStream stream(c.input);
    stream.end_with_error = c.read_fails;
    QueueRunner runner;
    MockDelegate delegate;
    EXPECT_CALL(delegate, QuitExtension());
    EXPECT_CALL(delegate, CrxPing(_)).Times(0);
    NativeMessage channel(&delegate, &stream, &runner);
    channel.ReadLoop();
    runner.RunPosted();
  }
}

TEST(NativeMessageReadTest, LyingLengthDoesNotAllocateWhatNeverArrives) {
  FakeStream stream(LengthPrefix(0x7FFFFFFF) + std::string(1000, 'x'));
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  g_largest = 0;
  g_watch = true;
  channel.ReadLoop();
  g_watch = false;
  EXPECT_LT(g_largest.load(), size_t{1} << 20);
  EXPECT_LE(stream.largest_read, size_t{1} << 20);
  EXPECT_EQ(runner.sent, 1) << "the end-of-input call runs even without a delegate";
}

TEST(NativeMessageReadTest, StopFlagEndsTheLoopAfterTheMessageInHand) {
  FakeStream stream(Frame(Ping(1)) + Frame(Ping(2)));
  QueueRunner runner;
  MockDelegate delegate;
  EXPECT_CALL(delegate, CrxPing(PingOf(1)));
  EXPECT_CALL(delegate, QuitExtension()).Times(0);
  NativeMessage channel(&delegate, &stream, &runner);
  channel.Stop();
  channel.ReadLoop();
  runner.RunPosted();
}

TEST(NativeMessageReadTest, RequestsThatCannotBeQueuedAreLostAndReadingGoesOn) {
  FakeStream stream(Frame(Ping(1)) + Frame(Ping(2)) + Frame(Ping(3)));
  QueueRunner runner;
  runner.refusals = 1;
  runner.failures = 1;
  MockDelegate delegate;
  EXPECT_CALL(delegate, OnRequestDropped(_));  // only for want of memory
  EXPECT_CALL(delegate, CrxPing(PingOf(3)));
  EXPECT_CALL(delegate, QuitExtension());
  NativeMessage channel(&delegate, &stream, &runner);
  channel.ReadLoop();
  runner.RunPosted();
}

TEST(NativeMessageDispatchTest, LargeContentIsCopiedOnceOrTheRequestIsDropped) {
  constexpr size_t kSize = 8 * 1024 * 1024;
  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail);
    FakeStream stream(Frame(R"({"action":"host_update","session_id":1,"md5":"m","version":"v",)"
                            R"("file_content":")" +
                            std::string(kSize, 'c') + "\"}"));
    QueueRunner runner;
    MockDelegate delegate;
    EXPECT_CALL(delegate, QuitExtension());
    EXPECT_CALL(delegate, CrxUpdate(Field(&UpdateParams::file_content, std::string(kSize, 'c'))))
        .Times(fail ? 0 : 1);
    EXPECT_CALL(delegate, OnRequestDropped(_)).Times(fail ? 1 : 0);
    NativeMessage channel(&delegate, &stream, &runner);
    channel.ReadLoop();
    g_counted = 0;
    g_fail = fail;
    g_count_from = kSize;
    runner.RunPosted();
    g_count_from = 0;
    g_fail = false;
    EXPECT_EQ(g_counted.load(), 1);
  }
}

TEST(NativeMessageWriteTest, FramesTextWithLittleEndianLength) {
  FakeStream stream;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  ASSERT_TRUE(channel.WriteMessage("{\"a\":1}"));
  EXPECT_EQ(stream.output, std::string("\x07\x00\x00\x00{\"a\":1}", 11));
  EXPECT_EQ(stream.flushes, 1);
}

TEST(NativeMessageWriteTest, PayloadSizeLimits) {
  FakeStream stream;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  EXPECT_FALSE(channel.WriteMessage(""));
  EXPECT_FALSE(channel.WriteMessage(std::string(1048576, 'x')));
  EXPECT_EQ(stream.write_calls, 0);
  ASSERT_TRUE(channel.WriteMessage(std::string(1048575, 'x')));
  EXPECT_EQ(SplitFrames(stream.output), std::vector<std::string>{std::string(1048575, 'x')});

  stream.fail_writes = true;
  EXPECT_FALSE(channel.WriteMessage("lost"));
}

TEST(NativeMessageWriteTest, PartialWritesAreCompleted) {
  FakeStream stream;
  stream.max_write = 3;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  ASSERT_TRUE(channel.WriteMessage("hello, extension"));
  EXPECT_EQ(SplitFrames(stream.output), std::vector<std::string>{"hello, extension"});
}

TEST(NativeMessageWriteTest, ConcurrentWritersNeverInterleaveFrames) {
  FakeStream stream;
  stream.max_write = 5;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  constexpr int kThreads = 4;
  constexpr int kPerThread = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i)
        EXPECT_TRUE(channel.WriteMessage(std::to_string(t) + " " + std::to_string(i)));
    });
  }
  for (auto& thread : threads)
    thread.join();

  std::vector<int> next(kThreads, 0);
  const auto frames = SplitFrames(stream.output);
  ASSERT_EQ(frames.size(), size_t{kThreads * kPerThread});
  for (const auto& frame : frames) {
    int t = -1, i = -1;
    ASSERT_EQ(std::sscanf(frame.c_str(), "%d %d", &t, &i), 2) << frame;
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(i, next[t]++) << "each writer's frames stay in its own order";
  }
}

}  // namespace
