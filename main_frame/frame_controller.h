#ifndef MAIN_FRAME_FRAME_CONTROLLER_H_
#define MAIN_FRAME_FRAME_CONTROLLER_H_

#include <functional>
#include <memory>

#include "channel/client_delegate.h"
#include "channel/native_message.h"

class CMainFrame;

// What the manager needs of the controller of one frame: the per-frame
// request operations, the frame's notifications (its id, the rating prompt)
// and what a window opened from the frame is made of.
//
// CrxCreate answers the request itself and returns true once the frame has
// a window; it answers nothing and returns false when no window could be
// made, and the manager then answers "-1" and removes the controller.
class IFrameController : public NativeMessage::Delegate, public NativeMessage::ClientDelegate {
 public:
  int GetFrameId() const override = 0;
  // The record the frame was created from; null while there is no frame.
  virtual const CreateParams* GetCreateParams() const { return nullptr; }
  // Creates the frame's hidden window from an opener's record, without an
  // answer or a navigation, unless a frame exists already; `frame` receives
  // the frame either way.
  virtual void CreateFrameFrom(const CreateParams& params, CMainFrame** frame) { *frame = nullptr; }
};

using FrameControllerFactory = std::function<std::unique_ptr<IFrameController>(int frame_id)>;

#endif  // MAIN_FRAME_FRAME_CONTROLLER_H_
