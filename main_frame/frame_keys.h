#ifndef MAIN_FRAME_FRAME_KEYS_H_
#define MAIN_FRAME_FRAME_KEYS_H_

// The few keys the frame takes for itself before the page sees them.

enum class FrameKeyCommand {
  kNone,  // the page gets the key
  kOpenDevTools,
  kSaveAs,
  kClose,
};

struct FrameKey {
  unsigned message;  // WM_KEYDOWN, WM_SYSKEYDOWN, ...
  unsigned virtual_key;
  bool ctrl;
  bool shift;
  bool alt;
};

// `dev_tools_allowed`: the frame's create record lets F12 open the tools.
FrameKeyCommand ClassifyFrameKey(const FrameKey& key, bool dev_tools_allowed);

#endif  // MAIN_FRAME_FRAME_KEYS_H_
