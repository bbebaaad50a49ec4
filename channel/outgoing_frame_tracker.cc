#include "channel/outgoing_frame_tracker.h"

#include <algorithm>

namespace {

constexpr size_t kPrefixSize = 4;

// Little-endian and unsigned, as the extension reads it: a prefix with the
// top bit set is a huge length, not a negative one.
uint32_t LengthPrefix(const void* data) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

bool OutgoingFrameTracker::Admits(const void* data, size_t size) const {
  if (remaining_ > 0 || size < kPrefixSize)
    return true;
  return LengthPrefix(data) < kLengthLimit;
}

void OutgoingFrameTracker::Wrote(const void* data, size_t size, size_t written) {
  if (remaining_ > 0) {
    remaining_ -= std::min<uint64_t>(remaining_, written);
    return;
  }
  // A frame of which nothing went out has not started.
  if (size < kPrefixSize || written == 0)
    return;
  const uint64_t frame_size = kPrefixSize + uint64_t{LengthPrefix(data)};
  remaining_ = written < frame_size ? frame_size - written : 0;
}
