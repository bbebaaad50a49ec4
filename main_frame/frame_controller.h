#ifndef MAIN_FRAME_FRAME_CONTROLLER_H_
#define MAIN_FRAME_FRAME_CONTROLLER_H_

#include <functional>
#include <memory>

#include "channel/native_message.h"

// What the manager needs of the controller of one frame: the per-frame
// request operations plus the few calls the manager makes itself.
class IFrameController : public NativeMessage::Delegate {
 public:
  virtual int GetFrameId() const = 0;
  // Shows the rating prompt over this frame.
  virtual void ShowReviewDialog(bool from_banner) {}
};

using FrameControllerFactory = std::function<std::unique_ptr<IFrameController>(int frame_id)>;

#endif  // MAIN_FRAME_FRAME_CONTROLLER_H_
