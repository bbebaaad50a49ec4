#include "ie_control/ie_ole_client_site.h"

#include <exdisp.h>

#include "ie_control/intelliforms_popup_close_guard.h"

namespace {

constexpr DWORD kHostFlags = DOCHOSTUIFLAG_DPI_AWARE | DOCHOSTUIFLAG_NO3DOUTERBORDER |
                             DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE;

}  // namespace

STDMETHODIMP IEOleClientSite::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) {
  return OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP IEOleClientSite::Exec(const GUID*, DWORD command_id, DWORD, VARIANT*, VARIANT* out) {
  switch (command_id) {
    case OLECMDID_SHOWSCRIPTERROR:
      // Scripts keep running and no error dialog comes up.
      if (out) {
        // An out parameter: whatever it holds is not ours to free.
        ::VariantInit(out);
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = VARIANT_TRUE;
      }
      return S_OK;
    case OLECMDID_SHOWFIND:
      return E_NOINTERFACE;
    case OLECMDID_CLOSE:
      MarkPopupClose();
      if (notify_)
        notify_->NotifyCloseTab();
      return S_FALSE;  // the owner closes the tab, not the engine
    default:
      return OLECMDERR_E_UNKNOWNGROUP;
  }
}

STDMETHODIMP IEOleClientSite::GetTypeInfoCount(UINT*) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

STDMETHODIMP
IEOleClientSite::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::ShowContextMenu(DWORD,
                                              DWORD,
                                              DWORD,
                                              IUnknown*,
                                              IDispatch*,
                                              HRESULT* result) {
  // Anything but S_OK lets the engine show its own menu.
  if (result)
    *result = E_NOTIMPL;
  return S_OK;
}

STDMETHODIMP IEOleClientSite::GetHostInfo(DWORD* flags, DWORD* double_click) {
  if (!flags || !double_click)
    return E_POINTER;
  *flags = kHostFlags;
  *double_click = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

STDMETHODIMP IEOleClientSite::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*, HRESULT*) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::HideUI() {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::UpdateUI() {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::EnableModeless(VARIANT_BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::OnDocWindowActivate(VARIANT_BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::OnFrameWindowActivate(VARIANT_BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::ResizeBorder(long, long, long, long, IUnknown*, VARIANT_BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::TranslateAccelerator(DWORD_PTR,
                                                   DWORD,
                                                   DWORD_PTR,
                                                   DWORD_PTR,
                                                   BSTR,
                                                   DWORD,
                                                   HRESULT*) {
  // The result stays the host's "not taken": every key reaches the engine.
  return S_OK;
}

STDMETHODIMP IEOleClientSite::GetOptionKeyPath(BSTR*, DWORD) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::GetDropTarget(IUnknown*, IUnknown**) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::GetExternal(IDispatch** external) {
  if (!external)
    return E_NOTIMPL;
  *external = nullptr;
  IShellUIHelper* helper = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellUIHelper, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IShellUIHelper, reinterpret_cast<void**>(&helper))) ||
      !helper) {
    return E_NOTIMPL;
  }
  *external = helper;
  return S_OK;
}

STDMETHODIMP IEOleClientSite::TranslateUrl(DWORD, BSTR, BSTR*) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::FilterDataObject(IUnknown*, IUnknown**) {
  return E_NOTIMPL;
}

STDMETHODIMP
IEOleClientSite::ShowMessage(HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*) {
  return E_NOTIMPL;
}

STDMETHODIMP IEOleClientSite::ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) {
  return E_NOTIMPL;
}

void* IEOleClientSite::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {
                                  Offer<IDispatch, IDocHostUIHandlerDispatch>(this),
                                  Offer<IDocHostUIHandlerDispatch>(this),
                                  Offer<IOleCommandTarget>(this),
                                  Offer<IDocHostShowUI>(this),
                              });
}
