#ifndef TAB_VIEW_TAB_VIEW_H_
#define TAB_VIEW_TAB_VIEW_H_

#include <windows.h>

#include "channel/client_delegate.h"
#include "ie_control/ie_control.h"
#include "ie_control/ie_control_notify.h"
#include "tab_view/new_frame_source.h"
#include "tab_view/new_window_cache.h"

// The page of one frame: the browser control whose reports become the
// frame's notifications to the extension.
class CTabView : public CIEControl, public IIEControlNotify {
 public:
  // `owner` is the frame's controller and `new_frames` makes the frames of
  // windows the page opens; both outlive the view.
  CTabView(NativeMessage::ClientDelegate* owner, INewFrameSource* new_frames);

  // Puts the extension's cookies for `url` into the engine's store, one
  // cookie per line of the escaped `cookie_text` (see cookie_lines.h).
  // Cookies the engine refuses are skipped.
  void SetCookies(const wchar_t* url, const wchar_t* cookie_text);

  // IIEControlNotify
  void NotifyDocumentComplete(int control_id, const wchar_t* url, const wchar_t* title) override;
  void NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) override;
  void NotifyTitleChange(const wchar_t* title) override;
  void NotifyCloseTab() override;
  void NotifyEvaluateNewWindow(const wchar_t* url,
                               const wchar_t* name,
                               const wchar_t* url_context,
                               const wchar_t* features,
                               BOOL replace,
                               DWORD flags,
                               DWORD user_action_time) override;
  // A folder opens in the shell; any other window gets a frame of its own,
  // or else goes to the browser as a new tab.
  void NotifyNewWindow(IDispatch** new_window,
                       VARIANT_BOOL* cancel,
                       DWORD flags,
                       const wchar_t* url_context,
                       const wchar_t* url) override;

 private:
  bool OpenFolderInShell(const std::wstring& url);

  NativeMessage::ClientDelegate* const owner_;
  INewFrameSource* const new_frames_;
  NewWindowCache new_windows_;
};

#endif  // TAB_VIEW_TAB_VIEW_H_
