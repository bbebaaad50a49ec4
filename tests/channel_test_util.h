#ifndef TESTS_CHANNEL_TEST_UTIL_H_
#define TESTS_CHANNEL_TEST_UTIL_H_

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "channel/native_message.h"

// The channel's framing as the extension sees it: a 32-bit little-endian
// length (the byte order of every machine the tests run on), then the payload.
inline std::string LengthPrefix(uint32_t length) {
  return std::string(reinterpret_cast<const char*>(&length), sizeof(length));
}

inline std::string Frame(std::string_view payload) {
  return LengthPrefix(static_cast<uint32_t>(payload.size())) + std::string(payload);
}

// The payloads of a written byte stream; a torn frame at the end shows as
// "<torn>".
inline std::vector<std::string> SplitFrames(std::string_view bytes) {
  std::vector<std::string> frames;
  while (bytes.size() >= 4) {
    uint32_t length;
    std::memcpy(&length, bytes.data(), 4);
    if (bytes.size() - 4 < length)
      break;
    frames.emplace_back(bytes.substr(4, length));
    bytes.remove_prefix(4 + length);
  }
  if (!bytes.empty())
    frames.push_back("<torn>");
  return frames;
}

// Keeps what is written to the channel; reads end at once.
class CaptureStream : public NativeMessage::Stream {
 public:
  int Read(void*, size_t) override { return 0; }
  int Write(const void* data, size_t size) override {
    bytes.append(static_cast<const char*>(data), size);
    return static_cast<int>(size);
  }
  std::vector<std::string> Messages() const { return SplitFrames(bytes); }

  std::string bytes;
};

// Runs every call at once on the calling thread.
class InlineRunner : public NativeMessage::CallRunner {
 public:
  bool PostCall(std::function<void()> call) override {
    call();
    return true;
  }
  void SendCall(const std::function<void()>& call) override { call(); }
};

#endif  // TESTS_CHANNEL_TEST_UTIL_H_
