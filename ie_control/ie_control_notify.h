#ifndef IE_CONTROL_IE_CONTROL_NOTIFY_H_
#define IE_CONTROL_IE_CONTROL_NOTIFY_H_

#include <windows.h>

#include <oaidl.h>

// How a hosted browser reports to its owner. `control_id` is the dialog
// control id of the browser's window; URLs may be null.
class IIEControlNotify {
 public:
  virtual void NotifyNavigateComplete(int control_id, const wchar_t* url) {}
  virtual void NotifyNavigateError(int control_id, const wchar_t* url) {}
  virtual void NotifyDocumentComplete(int control_id, const wchar_t* url, const wchar_t* title) {}
  // The NewWindow3 event as the engine raised it; setting `*cancel` stops it.
  virtual void NotifyNewWindow(IDispatch** new_window,
                               VARIANT_BOOL* cancel,
                               DWORD flags,
                               const wchar_t* url_context,
                               const wchar_t* url) {}
  virtual void NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) {}
  // Never called with an empty title.
  virtual void NotifyTitleChange(const wchar_t* title) {}
  // A script closed the page's window.
  virtual void NotifyCloseTab() {}
  // The engine asks before it opens a pop-up; comes ahead of NotifyNewWindow.
  virtual void NotifyEvaluateNewWindow(const wchar_t* url,
                                       const wchar_t* name,
                                       const wchar_t* url_context,
                                       const wchar_t* features,
                                       BOOL replace,
                                       DWORD flags,
                                       DWORD user_action_time) {}

 protected:
  ~IIEControlNotify() = default;
};

#endif  // IE_CONTROL_IE_CONTROL_NOTIFY_H_
