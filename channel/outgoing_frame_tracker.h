#ifndef CHANNEL_OUTGOING_FRAME_TRACKER_H_
#define CHANNEL_OUTGOING_FRAME_TRACKER_H_

#include <cstddef>
#include <cstdint>

// Follows the frames written to the channel's output so that a write can be
// judged by where it falls. A pipe may take only part of a frame per write;
// the write that carries the rest begins with payload bytes, which must not
// be read as a length.
class OutgoingFrameTracker {
 public:
  // Frames announcing this many bytes or more are beyond what the extension
  // accepts.
  static constexpr uint32_t kLengthLimit = 0x100000;

  // False when `data` would start a frame whose length prefix is over the
  // limit. The rest of a frame, and writes too short to hold a prefix, pass.
  bool Admits(const void* data, size_t size) const;

  // Records that `written` bytes of an admitted write of `data` went out.
  void Wrote(const void* data, size_t size, size_t written);

  // After a failed write: the writer gives up on the frame, so the next
  // write starts a new one.
  void Failed() { remaining_ = 0; }

 private:
  // Bytes of the current frame still to come; 0 between frames.
  uint64_t remaining_ = 0;
};

#endif  // CHANNEL_OUTGOING_FRAME_TRACKER_H_
