#ifndef TOOLS_PICTURES_PICTURE_MESSAGE_H_
#define TOOLS_PICTURES_PICTURE_MESSAGE_H_

#include <windows.h>

// Asks a window, through the picture hook, to write its drawing to the
// bitmap file named by the global atom in WPARAM.
inline UINT PictureMessage() {
  return ::RegisterWindowMessageW(L"TabBridgePictureOfWindow");
}

#endif  // TOOLS_PICTURES_PICTURE_MESSAGE_H_
