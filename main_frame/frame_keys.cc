#include "main_frame/frame_keys.h"

namespace {

constexpr unsigned kKeyDown = 0x0100;
constexpr unsigned kSysKeyDown = 0x0104;
constexpr unsigned kF12 = 123;
// Letter keys arrive as their upper-case virtual keys; the lower-case
// character codes would be F4 and F8.
constexpr unsigned kS = 'S';
constexpr unsigned kW = 'W';

}  // namespace

FrameKeyCommand ClassifyFrameKey(const FrameKey& key, bool dev_tools_allowed) {
  if (key.message == kKeyDown && key.virtual_key == kF12)
    return dev_tools_allowed ? FrameKeyCommand::kOpenDevTools : FrameKeyCommand::kNone;
  if ((key.message != kKeyDown && key.message != kSysKeyDown) || !key.ctrl || key.shift ||
      key.alt) {
    return FrameKeyCommand::kNone;
  }
  if (key.virtual_key == kS)
    return FrameKeyCommand::kSaveAs;
  if (key.virtual_key == kW)
    return FrameKeyCommand::kClose;
  return FrameKeyCommand::kNone;
}
