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

namespace {

// Largest single allocation made while a test watches.
std::atomic<bool> g_watch_allocations{false};
std::atomic<size_t> g_largest_allocation{0};
// While non-zero, allocations of at least this size are counted, or fail.
std::atomic<size_t> g_count_from_size{0};
std::atomic<int> g_counted_allocations{0};
std::atomic<size_t> g_fail_from_size{0};

}  // namespace

void* operator new(size_t size) {
  if (g_watch_allocations.load(std::memory_order_relaxed)) {
    size_t seen = g_largest_allocation.load();
    while (size > seen && !g_largest_allocation.compare_exchange_weak(seen, size)) {
    }
  }
  const size_t count_from = g_count_from_size.load(std::memory_order_relaxed);
  if (count_from != 0 && size >= count_from)
    ++g_counted_allocations;
  const size_t fail_from = g_fail_from_size.load(std::memory_order_relaxed);
  if (fail_from != 0 && size >= fail_from)
    throw std::bad_alloc();
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
using ::testing::Field;
using ::testing::InSequence;
using ::testing::Return;

std::string Frame(std::string_view payload) {
  const uint32_t n = static_cast<uint32_t>(payload.size());
  std::string out{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                  static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
  out.append(payload);
  return out;
}

std::string Header(uint32_t n) {
  return std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                     static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
}

// Splits the frames of a written byte stream; fails on a torn frame.
std::vector<std::string> SplitFrames(const std::string& bytes) {
  std::vector<std::string> frames;
  size_t pos = 0;
  while (pos < bytes.size()) {
    EXPECT_LE(pos + 4, bytes.size()) << "torn header";
    if (pos + 4 > bytes.size())
      break;
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
      n = (n << 8) | static_cast<unsigned char>(bytes[pos + i]);
    EXPECT_LE(pos + 4 + n, bytes.size()) << "torn payload";
    frames.push_back(bytes.substr(pos + 4, n));
    pos += 4 + n;
  }
  return frames;
}

class FakeStream : public NativeMessage::Stream {
 public:
  explicit FakeStream(std::string input = {}, size_t max_read = SIZE_MAX)
      : input_(std::move(input)), max_read_(max_read) {}

  int Read(void* buffer, size_t size) override {
    largest_read_request = std::max(largest_read_request, size);
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
    // Yield mid-frame so that unlocked writers would interleave.
    output_.append(static_cast<const char*>(data), n);
    std::this_thread::yield();
    ++write_calls;
    return static_cast<int>(n);
  }

  void Flush() override { ++flushes; }

  std::string output() {
    std::lock_guard<std::mutex> lock(mutex_);
    return output_;
  }

  size_t max_write = SIZE_MAX;
  bool fail_writes = false;
  bool end_with_error = false;
  size_t largest_read_request = 0;
  int write_calls = 0;
  int flushes = 0;

 private:
  std::string input_;
  size_t pos_ = 0;
  size_t max_read_;
  std::mutex mutex_;
  std::string output_;
};

// Queues posted calls so tests can see what the reader handed over and run
// them later, as the user-interface thread would.
class QueueRunner : public NativeMessage::CallRunner {
 public:
  bool PostCall(std::function<void()> call) override {
    if (refuse_posts)
      return false;
    posted.push_back(std::move(call));
    return true;
  }
  void SendCall(const std::function<void()>& call) override {
    ++sent;
    call();
  }
  void RunPosted() {
    while (!posted.empty()) {
      auto call = std::move(posted.front());
      posted.pop_front();
      call();
    }
  }

  std::deque<std::function<void()>> posted;
  int sent = 0;
  bool refuse_posts = false;
};

class MockDelegate : public NativeMessage::Delegate {
 public:
  MOCK_METHOD(bool, CrxPing, (const PingParams&), (override));
  MOCK_METHOD(bool, CrxClose, (int, int), (override));
  MOCK_METHOD(bool, QuitExtension, (), (override));
  MOCK_METHOD(bool, CrxUpdate, (const UpdateParams&), (override));
  MOCK_METHOD(void, OnRequestDropped, (std::string_view), (override));
};

std::string PingJson(int session) {
  return R"({"action":"host_ping","session_id":)" + std::to_string(session) + "}";
}

TEST(NativeMessageReadTest, DispatchesFramesInOrderWhateverTheReadSizes) {
  for (size_t max_read : {size_t{1}, size_t{3}, size_t{4096}}) {
    SCOPED_TRACE(max_read);
    FakeStream stream(Frame(PingJson(1)) + Frame(PingJson(2)) + Frame(PingJson(3)), max_read);
    QueueRunner runner;
    MockDelegate delegate;
    NativeMessage channel(&delegate, &stream, &runner);
    {
      InSequence order;
      EXPECT_CALL(delegate, QuitExtension()).WillOnce(Return(true));
      for (int id : {1, 2, 3})
        EXPECT_CALL(delegate, CrxPing(Field(&PingParams::session_id, id)));
    }
    channel.ReadLoop();
    // End of input overtakes the requests still queued, as a sent message does.
    EXPECT_EQ(runner.sent, 1);
    EXPECT_EQ(runner.posted.size(), 3u);
    runner.RunPosted();
  }
}

TEST(NativeMessageReadTest, InvalidOrMissingInputEndsTheChannel) {
  const struct {
    const char* name;
    std::string input;
  } cases[] = {
      {"empty stream", ""},
      {"zero length", Header(0) + Frame(PingJson(1))},
      {"negative length", Header(0x80000000u) + std::string(16, 'x')},
      {"all bits set", Header(0xFFFFFFFFu)},
      {"short header", std::string("\x05\x00", 2)},
      {"truncated payload", Header(100) + std::string(99, ' ')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeStream stream(c.input);
    QueueRunner runner;
    MockDelegate delegate;
    EXPECT_CALL(delegate, QuitExtension()).Times(1);
    EXPECT_CALL(delegate, CrxPing(_)).Times(0);
    NativeMessage channel(&delegate, &stream, &runner);
    channel.ReadLoop();
    EXPECT_EQ(runner.sent, 1);
    runner.RunPosted();
  }
}

TEST(NativeMessageReadTest, ReadFailureCountsAsEndOfInput) {
  FakeStream stream(Frame(PingJson(4)));
  stream.end_with_error = true;
  QueueRunner runner;
  MockDelegate delegate;
  EXPECT_CALL(delegate, CrxPing(Field(&PingParams::session_id, 4)));
  EXPECT_CALL(delegate, QuitExtension());
  NativeMessage channel(&delegate, &stream, &runner);
  channel.ReadLoop();
  runner.RunPosted();
}

TEST(NativeMessageReadTest, LyingLengthDoesNotAllocateWhatNeverArrives) {
  FakeStream stream(Header(0x7FFFFFFF) + std::string(1000, 'x'));
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  g_largest_allocation = 0;
  g_watch_allocations = true;
  channel.ReadLoop();
  g_watch_allocations = false;
  EXPECT_LT(g_largest_allocation.load(), size_t{1} << 20);
  EXPECT_LE(stream.largest_read_request, size_t{1} << 20);
  EXPECT_TRUE(runner.posted.empty());
  EXPECT_EQ(runner.sent, 1);  // the end-of-input call runs even without a delegate
}

TEST(NativeMessageReadTest, LargeMessageArrivesWhole) {
  const std::string big =
      R"({"action":"host_ping","session_id":9,"cmd":")" + std::string(3 * 1024 * 1024, 'a') + "\"}";
  FakeStream stream(Frame(big), 50000);
  QueueRunner runner;
  MockDelegate delegate;
  EXPECT_CALL(delegate, CrxPing(Field(&PingParams::cmd, std::string(3 * 1024 * 1024, 'a'))));
  EXPECT_CALL(delegate, QuitExtension());
  NativeMessage channel(&delegate, &stream, &runner);
  channel.ReadLoop();
  runner.RunPosted();
}

TEST(NativeMessageReadTest, StopFlagEndsTheLoopAfterTheMessageInHand) {
  FakeStream stream(Frame(PingJson(1)) + Frame(PingJson(2)));
  QueueRunner runner;
  MockDelegate delegate;
  EXPECT_CALL(delegate, CrxPing(Field(&PingParams::session_id, 1)));
  EXPECT_CALL(delegate, QuitExtension()).Times(0);
  NativeMessage channel(&delegate, &stream, &runner);
  channel.Stop();
  channel.ReadLoop();
  EXPECT_EQ(runner.sent, 0);
  runner.RunPosted();
}

TEST(NativeMessageReadTest, RequestThatCannotBeQueuedIsLostAndReadingGoesOn) {
  FakeStream stream(Frame(PingJson(1)) + Frame(PingJson(2)));
  QueueRunner runner;
  runner.refuse_posts = true;
  MockDelegate delegate;
  EXPECT_CALL(delegate, QuitExtension());
  NativeMessage channel(&delegate, &stream, &runner);
  channel.ReadLoop();
  EXPECT_EQ(runner.sent, 1);
}

class ThrowingRunner : public QueueRunner {
 public:
  bool PostCall(std::function<void()> call) override {
    if (posts_to_fail-- > 0)
      throw std::bad_alloc();
    return QueueRunner::PostCall(std::move(call));
  }
  int posts_to_fail = 0;
};

TEST(NativeMessageReadTest, RequestWithoutMemoryToQueueIsDroppedAndReadingGoesOn) {
  FakeStream stream(Frame(PingJson(1)) + Frame(PingJson(2)));
  ThrowingRunner runner;
  runner.posts_to_fail = 1;
  MockDelegate delegate;
  EXPECT_CALL(delegate, OnRequestDropped(_));
  EXPECT_CALL(delegate, CrxPing(Field(&PingParams::session_id, 2)));
  EXPECT_CALL(delegate, QuitExtension());
  NativeMessage channel(&delegate, &stream, &runner);
  channel.ReadLoop();
  EXPECT_EQ(runner.sent, 1);
  runner.RunPosted();
}

// Runs a host_update whose content is `size` bytes through the reader and
// the dispatcher; allocations of at least `size` fail when `fail` is set.
// Returns how many allocations of that size the dispatch made.
int DispatchLargeUpdate(MockDelegate* delegate, size_t size, bool fail) {
  FakeStream stream(Frame(R"({"action":"host_update","session_id":1,"md5":"m","version":"v",)"
                          R"("file_content":")" +
                          std::string(size, 'c') + "\"}"));
  QueueRunner runner;
  NativeMessage channel(delegate, &stream, &runner);
  channel.ReadLoop();
  g_counted_allocations = 0;
  g_count_from_size = size;
  if (fail)
    g_fail_from_size = size;
  runner.RunPosted();
  g_fail_from_size = 0;
  g_count_from_size = 0;
  return g_counted_allocations.load();
}

TEST(NativeMessageDispatchTest, LargeContentIsCopiedOnceIntoTheRecord) {
  constexpr size_t kSize = 8 * 1024 * 1024;
  MockDelegate delegate;
  EXPECT_CALL(delegate, QuitExtension());
  size_t received = 0;
  EXPECT_CALL(delegate, CrxUpdate(_)).WillOnce([&](const UpdateParams& params) {
    received = std::count(params.file_content.begin(), params.file_content.end(), 'c');
    return true;
  });
  EXPECT_EQ(DispatchLargeUpdate(&delegate, kSize, /*fail=*/false), 1);
  EXPECT_EQ(received, kSize);
}

TEST(NativeMessageDispatchTest, RequestThatRunsOutOfMemoryIsDropped) {
  constexpr size_t kSize = 8 * 1024 * 1024;
  MockDelegate delegate;
  EXPECT_CALL(delegate, QuitExtension());
  EXPECT_CALL(delegate, CrxUpdate(_)).Times(0);
  EXPECT_CALL(delegate, OnRequestDropped(_));
  EXPECT_EQ(DispatchLargeUpdate(&delegate, kSize, /*fail=*/true), 1);
}

TEST(NativeMessageWriteTest, FramesTextWithLittleEndianLength) {
  FakeStream stream;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  ASSERT_TRUE(channel.WriteMessage("{\"a\":1}"));
  EXPECT_EQ(stream.output(), std::string("\x07\x00\x00\x00{\"a\":1}", 11));
  EXPECT_EQ(stream.flushes, 1);
}

TEST(NativeMessageWriteTest, PayloadSizeLimits) {
  FakeStream stream;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  EXPECT_FALSE(channel.WriteMessage(""));
  EXPECT_FALSE(channel.WriteMessage(std::string(1048576, 'x')));
  EXPECT_TRUE(stream.output().empty());
  EXPECT_EQ(stream.write_calls, 0);

  ASSERT_TRUE(channel.WriteMessage(std::string(1048575, 'x')));
  const auto frames = SplitFrames(stream.output());
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].size(), 1048575u);
}

TEST(NativeMessageWriteTest, PartialWritesAreCompleted) {
  FakeStream stream;
  stream.max_write = 3;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  ASSERT_TRUE(channel.WriteMessage("hello, extension"));
  EXPECT_EQ(SplitFrames(stream.output()), std::vector<std::string>{"hello, extension"});
  EXPECT_GT(stream.write_calls, 1);
}

TEST(NativeMessageWriteTest, FailedWriteIsReported) {
  FakeStream stream;
  stream.fail_writes = true;
  QueueRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  EXPECT_FALSE(channel.WriteMessage("lost"));
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
      for (int i = 0; i < kPerThread; ++i) {
        const std::string text = "thread " + std::to_string(t) + " message " + std::to_string(i);
        EXPECT_TRUE(channel.WriteMessage(text));
      }
    });
  }
  for (auto& thread : threads)
    thread.join();

  const auto frames = SplitFrames(stream.output());
  ASSERT_EQ(frames.size(), size_t{kThreads * kPerThread});
  std::vector<int> next(kThreads, 0);
  for (const auto& frame : frames) {
    int t = -1, i = -1;
    ASSERT_EQ(std::sscanf(frame.c_str(), "thread %d message %d", &t, &i), 2) << frame;
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(i, next[t]++) << "each writer's frames stay in its own order";
  }
}

}  // namespace
