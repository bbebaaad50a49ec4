#ifndef TAB_VIEW_TAB_VIEW_H_
#define TAB_VIEW_TAB_VIEW_H_

#include <windows.h>

#include "channel/client_delegate.h"
#include "ie_control/ie_control.h"
#include "ie_control/ie_control_notify.h"

// The page of one frame: the browser control whose reports become the
// frame's notifications to the extension.
class CTabView : public CIEControl, public IIEControlNotify {
 public:
  // `owner` is the frame's controller and outlives the view.
  explicit CTabView(NativeMessage::ClientDelegate* owner);

  // Puts the extension's cookies for `url` into the engine's store, one
  // cookie per line of the escaped `cookie_text` (see cookie_lines.h).
  // Cookies the engine refuses are skipped.
  void SetCookies(const wchar_t* url, const wchar_t* cookie_text);

  // IIEControlNotify
  void NotifyDocumentComplete(int control_id, const wchar_t* url, const wchar_t* title) override;
  void NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) override;
  void NotifyTitleChange(const wchar_t* title) override;
  void NotifyCloseTab() override;

 private:
  NativeMessage::ClientDelegate* const owner_;
};

#endif  // TAB_VIEW_TAB_VIEW_H_
