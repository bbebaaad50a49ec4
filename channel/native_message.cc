#include "channel/native_message.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "channel/request_dispatcher.h"

namespace {

// Large enough to take a typical request in one read, small enough that a
// lying length prefix costs nothing until the bytes really arrive.
constexpr size_t kReadChunk = 64 * 1024;

uint32_t DecodeLength(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

NativeMessage::NativeMessage(Delegate* delegate, Stream* stream, CallRunner* runner)
    : delegate_(delegate), stream_(stream), runner_(runner) {}

NativeMessage::~NativeMessage() = default;

NativeMessage::ReadResult NativeMessage::ReadExactly(void* buffer, size_t size) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    const int read = stream_->Read(out, size);
    if (read <= 0)
      return ReadResult::kEnd;
    out += read;
    size -= static_cast<size_t>(read);
  }
  return ReadResult::kOk;
}

NativeMessage::ReadResult NativeMessage::ReadPayload(uint32_t length, std::string* payload) {
  try {
    payload->clear();
    while (payload->size() < length) {
      const size_t chunk = std::min<size_t>(kReadChunk, length - payload->size());
      const size_t old_size = payload->size();
      payload->resize(old_size + chunk);
      if (ReadExactly(payload->data() + old_size, chunk) != ReadResult::kOk)
        return ReadResult::kEnd;
    }
  } catch (const std::bad_alloc&) {
    // Nowhere to keep the message: the channel cannot continue in step.
    return ReadResult::kEnd;
  }
  return ReadResult::kOk;
}

bool NativeMessage::ReadFrame(std::string* payload) {
  unsigned char header[kHeaderSize];
  if (ReadExactly(header, sizeof(header)) != ReadResult::kOk)
    return false;
  const int32_t length = static_cast<int32_t>(DecodeLength(header));
  return length > 0 && ReadPayload(static_cast<uint32_t>(length), payload) == ReadResult::kOk;
}

void NativeMessage::ReadLoop() {
  for (std::string payload; ReadFrame(&payload); payload = std::string()) {
    // A full queue, or no memory to queue it, loses this request; the reader
    // goes on with the next one.
    try {
      (void)runner_->PostCall([this, bytes = std::move(payload)] { DispatchRequest(this, bytes); });
    } catch (const std::bad_alloc&) {
      if (delegate_)
        delegate_->OnRequestDropped("PostCall");
    }
    if (IsStopped())
      return;
  }
  runner_->SendCall([this] {
    if (delegate_)
      delegate_->QuitExtension();
  });
}

bool NativeMessage::WriteMessage(std::string_view text) {
  if (text.empty() || text.size() > kMaxOutgoingPayload)
    return false;
  std::string frame(kHeaderSize + text.size(), '\0');
  const uint32_t length = static_cast<uint32_t>(text.size());
  for (size_t i = 0; i < kHeaderSize; ++i)
    frame[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  std::memcpy(frame.data() + kHeaderSize, text.data(), text.size());

  // A pipe may take part of a frame per call; the lock keeps frames from
  // different threads from interleaving while we loop.
  std::lock_guard<std::mutex> lock(write_lock_);
  const char* data = frame.data();
  size_t left = frame.size();
  while (left > 0) {
    const int written = stream_->Write(data, left);
    if (written <= 0)
      return false;
    data += written;
    left -= static_cast<size_t>(written);
  }
  stream_->Flush();
  return true;
}
