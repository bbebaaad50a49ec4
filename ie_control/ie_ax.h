#ifndef IE_CONTROL_IE_AX_H_
#define IE_CONTROL_IE_AX_H_

#include <windows.h>

#include "ie_control/ie_control_notify.h"
#include "ie_control/ie_new_window_manager.h"
#include "ie_control/ie_ole_client_site.h"
#include "ui_base/ax_host_window.h"
#include "utils/com_ptr.h"

// The host of one WebBrowser control: creates it in the browser window with
// the client site as its UI handler and offers the new-window manager as a
// service. It lives until its window is gone.
class IEAx : public AxHostWindow {
 public:
  IEAx() = default;

  // The host subclasses `hwnd` and keeps `notify` for its site objects.
  void CreateBrowser(HWND hwnd, IIEControlNotify* notify);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  // IServiceProvider: the new-window manager only.
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  TB_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  TB_MESSAGE_HANDLER(WM_FORWARDMSG, OnForwardMessage)
  TB_CHAIN_MSG_MAP(AxHostWindow)
  TB_END_MSG_MAP()

 protected:
  ~IEAx() override;

  void OnFinalMessage(HWND hwnd) override;

 private:
  LRESULT OnPaint(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnForwardMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  com_ptr<IEOleClientSite> client_site_;
  com_ptr<IENewWindowManager> new_window_manager_;
  IIEControlNotify* notify_ = nullptr;
  bool destroyed_ = false;
};

#endif  // IE_CONTROL_IE_AX_H_
