// The OLE embedding of WebBrowser: how a container sites, activates, sizes
// and closes the control.

#include "tools/stand_in_engine/web_browser.h"

STDMETHODIMP WebBrowser::SetClientSite(IOleClientSite* site) {
  if (!site)
    InPlaceDeactivate();
  site_ = com_ptr<IOleClientSite>(site);
  return S_OK;
}

STDMETHODIMP WebBrowser::Close(DWORD save_option) {
  Stop();
  return InPlaceDeactivate();
}

STDMETHODIMP WebBrowser::DoVerb(LONG verb,
                                LPMSG,
                                IOleClientSite*,
                                LONG,
                                HWND parent,
                                LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return Activate(verb == OLEIVERB_UIACTIVATE, parent, position);
    case OLEIVERB_HIDE:
      windows_.SetVisible(false);
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

STDMETHODIMP WebBrowser::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status)
    return E_POINTER;
  // What the engine's control reports for DVASPECT_CONTENT.
  *status = aspect == DVASPECT_CONTENT
                ? OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                      OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT
                : 0;
  return S_OK;
}

STDMETHODIMP WebBrowser::GetWindow(HWND* window) {
  if (!window)
    return E_POINTER;
  *window = windows_.embedding();
  return *window ? S_OK : E_FAIL;
}

STDMETHODIMP WebBrowser::InPlaceDeactivate() {
  UIDeactivate();
  windows_.Destroy();
  if (const com_ptr<IOleInPlaceSite> site = std::move(in_place_site_))
    site->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP WebBrowser::UIDeactivate() {
  if (ui_active_ && in_place_site_) {
    ui_active_ = false;
    in_place_site_->OnUIDeactivate(FALSE);
  }
  return S_OK;
}

STDMETHODIMP WebBrowser::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position)
    return E_POINTER;
  windows_.SetPosition(*position);
  return S_OK;
}

// In-place activation as OLE lays it out: the site must agree, then gives
// the parent window and the position; the windows are built there.
HRESULT WebBrowser::Activate(bool ui_activate, HWND parent, LPCRECT position) {
  if (!windows_.exists()) {
    com_ptr<IOleInPlaceSite> site;
    if (FAILED(site_.query(&site)) || site->CanInPlaceActivate() != S_OK)
      return E_FAIL;
    site->OnInPlaceActivate();
    HWND site_window = nullptr;
    if (SUCCEEDED(site->GetWindow(&site_window)) && site_window)
      parent = site_window;
    RECT place = position ? *position : RECT{};
    RECT clip = place;
    com_ptr<IOleInPlaceFrame> frame;
    com_ptr<IOleInPlaceUIWindow> document_window;
    OLEINPLACEFRAMEINFO frame_info = {sizeof(frame_info)};
    site->GetWindowContext(frame.put(), document_window.put(), &place, &clip, &frame_info);
    if (!parent || !windows_.Create(parent, place, visible_)) {
      site->OnInPlaceDeactivate();
      return E_FAIL;
    }
    in_place_site_ = std::move(site);
  }
  if (ui_activate && !ui_active_) {
    ui_active_ = true;
    in_place_site_->OnUIActivate();
  }
  return S_OK;
}
