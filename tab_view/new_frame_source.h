#ifndef TAB_VIEW_NEW_FRAME_SOURCE_H_
#define TAB_VIEW_NEW_FRAME_SOURCE_H_

#include <windows.h>

#include <oaidl.h>

#include "utils/com_ptr.h"

// Makes the frames that windows opened by a page are shown in.
class INewFrameSource {
 public:
  enum class Result { kCreated, kNoFrame, kNoBrowser };

  // A frame made like the opener's; on kCreated its id and the browser the
  // engine is to load the window into. A frame whose browser cannot be had
  // is closed again.
  virtual Result CreateFrameForNewWindow(int opener_frame_id,
                                         int* new_frame_id,
                                         com_ptr<IDispatch>* browser) = 0;

 protected:
  ~INewFrameSource() = default;
};

#endif  // TAB_VIEW_NEW_FRAME_SOURCE_H_
