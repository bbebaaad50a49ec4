#include "ie_control/ie_ax.h"

#include <exdisp.h>

#include "ui_base/seh_guard.h"
#include "utils/log.h"
#include "utils/log_failure.h"

namespace {

constexpr wchar_t kWebBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

}  // namespace

IEAx::~IEAx() {
  LOG(DEBUG) << L"IEAx Destructor " << this;
}

void IEAx::CreateBrowser(HWND hwnd, IIEControlNotify* notify) {
  notify_ = notify;
  client_site_ = MakeComObject<IEOleClientSite>();
  SetExternalUIHandler(client_site_.get());
  // Failures leave a host without a control; the window still paints.
  LOG_IF_FAILED(CreateControl(kWebBrowserClsid, hwnd));
  com_ptr<IWebBrowser2> browser;
  if (SUCCEEDED(QueryControl(&browser))) {
    LOG_IF_FAILED(browser->put_RegisterAsDropTarget(VARIANT_TRUE));
    LOG_IF_FAILED(browser->put_Silent(VARIANT_FALSE));
    client_site_->SetNotify(notify_);
  }
  new_window_manager_ = MakeComObject<IENewWindowManager>();
  new_window_manager_->SetNotify(notify_);
  SetBackgroundColor(RGB(0xFF, 0xFF, 0xFF));
}

STDMETHODIMP IEAx::QueryInterface(REFIID iid, void** out) {
  const HRESULT hr = AxHostWindow::QueryInterface(iid, out);
  if (hr != E_NOINTERFACE || (iid != __uuidof(IDocHostShowUI) && iid != IID_IOleCommandTarget))
    return hr;
  // The engine's show-UI and command questions are the client site's.
  return client_site_ ? client_site_->QueryInterface(iid, out) : E_NOINTERFACE;
}

STDMETHODIMP IEAx::QueryService(REFGUID service, REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (service != IID_INewWindowManager)
    return E_NOINTERFACE;
  return new_window_manager_ ? new_window_manager_->QueryInterface(iid, out) : E_FAIL;
}

LRESULT IEAx::OnPaint(UINT message, WPARAM wparam, LPARAM lparam, bool&) {
  LRESULT result = 0;
  if (AxHostWindow::ProcessWindowMessage(hwnd(), message, wparam, lparam, result))
    return result;
  PAINTSTRUCT paint;
  if (const HDC dc = ::BeginPaint(hwnd(), &paint)) {
    RECT client = {};
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::EndPaint(hwnd(), &paint);
  }
  return 0;
}

LRESULT IEAx::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  LOG(DEBUG) << L"OnDestroy " << this << L" destroyed " << destroyed_;
  // The control is let go once; a repeated WM_DESTROY goes no further.
  if (destroyed_)
    return 0;
  destroyed_ = true;
  handled = false;
  return 0;
}

LRESULT IEAx::OnForwardMessage(UINT message, WPARAM wparam, LPARAM lparam, bool&) {
  LRESULT result = 0;
  if (!RunWithExceptionGuard([&] {
        (void)AxHostWindow::ProcessWindowMessage(hwnd(), message, wparam, lparam, result);
      })) {
    return 0;
  }
  return result;
}

void IEAx::OnFinalMessage(HWND hwnd) {
  LOG(DEBUG) << L"OnFinalMessage " << this;
  AxHostWindow::OnFinalMessage(hwnd);  // may delete this
}
