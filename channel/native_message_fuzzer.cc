// The reader on an arbitrary byte stream, delivered in pieces of varying
// size: each message it hands over must be exactly the bytes framed, and the
// memory it holds for a message must follow the bytes that arrived, whatever
// length the prefix claims.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "channel/native_message.h"

namespace {

// 64 KiB pieces, grown geometrically by std::string.
constexpr size_t kSlack = 2 * 64 * 1024 + 64;

class PieceStream : public NativeMessage::Stream {
 public:
  PieceStream(std::string_view bytes, uint8_t piece_seed) : bytes_(bytes), seed_(piece_seed) {}

  int Read(void* buffer, size_t size) override {
    CheckHeld();
    if (bytes_.empty())
      return 0;
    seed_ = seed_ * 33 + 7;
    size = std::min({size, bytes_.size(), size_t{1} + seed_ % 300});
    std::memcpy(buffer, bytes_.data(), size);
    bytes_.remove_prefix(size);
    arrived_ += size;
    return static_cast<int>(size);
  }
  int Write(const void*, size_t size) override { return static_cast<int>(size); }

  void StartMessage(const std::string* payload) {
    payload_ = payload;
    message_start_ = arrived_;
  }

 private:
  void CheckHeld() const {
    if (payload_ && payload_->capacity() > 2 * (arrived_ - message_start_) + kSlack)
      std::abort();
  }

  std::string_view bytes_;
  uint8_t seed_;
  size_t arrived_ = 0;
  size_t message_start_ = 0;
  const std::string* payload_ = nullptr;
};

// The next message as the framing defines it, or false where the reader must
// stop: a short header, a length of 0 or above 2^31 - 1, a short payload.
bool NextFrame(std::string_view* bytes, std::string_view* payload) {
  if (bytes->size() < NativeMessage::kHeaderSize)
    return false;
  uint32_t length = 0;
  for (size_t i = 0; i < NativeMessage::kHeaderSize; ++i)
    length |= static_cast<uint32_t>(static_cast<uint8_t>((*bytes)[i])) << (8 * i);
  bytes->remove_prefix(NativeMessage::kHeaderSize);
  if (length == 0 || length > 0x7FFFFFFF || bytes->size() < length)
    return false;
  *payload = bytes->substr(0, length);
  bytes->remove_prefix(length);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  PieceStream stream(input, data[0]);
  NativeMessage channel(nullptr, &stream, nullptr);
  std::string_view rest = input;
  for (;;) {
    std::string payload;
    stream.StartMessage(&payload);
    std::string_view expected;
    const bool more = NextFrame(&rest, &expected);
    if (channel.ReadFrame(&payload) != more || (more && payload != expected))
      std::abort();
    if (!more)
      return 0;
  }
}
