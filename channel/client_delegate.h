#ifndef CHANNEL_CLIENT_DELEGATE_H_
#define CHANNEL_CLIENT_DELEGATE_H_

#include <string>

#include "channel/native_message.h"

// A window the page opened, as reported to the extension.
struct NewFrameParam {
  std::wstring url;
  std::wstring features;
  bool popup = false;
  int new_frame_id = -1;
};

// The notification operations of one frame, in fixed slot order. What happens
// in a frame (its view, banner and rating dialog) reaches the extension
// through them. Each returns whether a text was written, unless it says
// otherwise; every slot defaults to doing nothing.
class NativeMessage::ClientDelegate {
 public:
  virtual ~ClientDelegate() = default;
  virtual bool ClientNewWindow(const NewFrameParam& param) { return false; }
  // A null url opens "about:blank".
  virtual bool ClientNewTab(const wchar_t* url, bool force_ie) { return false; }
  virtual bool ClientBeforeNavigate(bool top_level, const wchar_t* url) { return false; }
  virtual bool ClientBack() { return false; }
  virtual bool ClientForward() { return false; }
  virtual bool ClientAttachState(int state) { return false; }
  virtual bool ClientTitleChange(const wchar_t* title) { return false; }
  virtual bool ClientLeaveCurrentTab() { return false; }
  virtual bool ClientSetCompatibleMode(int mode) { return false; }
  // Opens the engine's developer tools for the frame.
  virtual bool OpenDevTools() { return false; }
  virtual bool ClientCloseTab() { return false; }
  virtual std::string GetPort() const { return std::string(); }
  virtual int GetFrameId() const { return -1; }
  // Shows the rating prompt; true when it is up.
  virtual bool ShowReviewDialog(bool from_banner) { return false; }
};

#endif  // CHANNEL_CLIENT_DELEGATE_H_
