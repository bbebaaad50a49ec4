#ifndef IE_CONTROL_IE_NEW_WINDOW_MANAGER_H_
#define IE_CONTROL_IE_NEW_WINDOW_MANAGER_H_

#include <windows.h>

#include <shobjidl.h>

#include "ie_control/ie_control_notify.h"
#include "ui_base/com_object.h"

// Asked by the engine before it opens a pop-up. It lets every window through
// here and tells the owner, which decides when the NewWindow3 event follows.
class IENewWindowManager : public ComObject<INewWindowManager> {
 public:
  IENewWindowManager() = default;

  void SetNotify(IIEControlNotify* notify) { notify_ = notify; }

  // INewWindowManager
  STDMETHODIMP EvaluateNewWindow(LPCWSTR url,
                                 LPCWSTR name,
                                 LPCWSTR url_context,
                                 LPCWSTR features,
                                 BOOL replace,
                                 DWORD flags,
                                 DWORD user_action_time) override;

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  IIEControlNotify* notify_ = nullptr;
};

#endif  // IE_CONTROL_IE_NEW_WINDOW_MANAGER_H_
