// The OLE embedding of WebBrowser: how a container sites, activates, sizes
// and closes the control.

#include <exdisp.h>

#include "tools/stand_in_engine/web_browser.h"

using Microsoft::WRL::ComPtr;

namespace {

// What the engine's control reports for DVASPECT_CONTENT.
constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_INSIDEOUT;

}  // namespace

HRESULT WebBrowser::SetClientSite(IOleClientSite* site) {
  if (!site)
    InPlaceDeactivate();
  site_.Set(site);
  return S_OK;
}

HRESULT WebBrowser::GetClientSite(IOleClientSite** site) {
  if (!site)
    return E_POINTER;
  *site = site_.get();
  if (*site)
    (*site)->AddRef();
  return S_OK;
}

HRESULT WebBrowser::SetHostNames(LPCOLESTR application, LPCOLESTR document) {
  return S_OK;
}

HRESULT WebBrowser::Close(DWORD save_option) {
  Stop();
  return InPlaceDeactivate();
}

HRESULT WebBrowser::SetMoniker(DWORD which, IMoniker* moniker) {
  return E_NOTIMPL;
}

HRESULT WebBrowser::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) {
  if (moniker)
    *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT WebBrowser::InitFromData(IDataObject* data, BOOL creation, DWORD reserved) {
  return E_NOTIMPL;
}

HRESULT WebBrowser::GetClipboardData(DWORD reserved, IDataObject** data) {
  if (data)
    *data = nullptr;
  return E_NOTIMPL;
}

HRESULT WebBrowser::DoVerb(LONG verb,
                           LPMSG message,
                           IOleClientSite* site,
                           LONG index,
                           HWND parent,
                           LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
      return Activate(false, parent, position);
    case OLEIVERB_UIACTIVATE:
      return Activate(true, parent, position);
    case OLEIVERB_HIDE:
      windows_.SetVisible(false);
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

HRESULT WebBrowser::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs)
    *verbs = nullptr;
  return OLE_S_USEREG;
}

HRESULT WebBrowser::Update() {
  return S_OK;
}

HRESULT WebBrowser::IsUpToDate() {
  return S_OK;
}

HRESULT WebBrowser::GetUserClassID(CLSID* clsid) {
  return GetClassID(clsid);
}

HRESULT WebBrowser::GetUserType(DWORD form, LPOLESTR* type) {
  if (type)
    *type = nullptr;
  return OLE_S_USEREG;
}

HRESULT WebBrowser::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  extent_ = *size;
  return S_OK;
}

HRESULT WebBrowser::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT WebBrowser::Advise(IAdviseSink* sink, DWORD* connection) {
  if (connection)
    *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT WebBrowser::Unadvise(DWORD connection) {
  return OLE_E_NOCONNECTION;
}

HRESULT WebBrowser::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise)
    *advise = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT WebBrowser::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status)
    return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

HRESULT WebBrowser::SetColorScheme(LOGPALETTE* palette) {
  return E_NOTIMPL;
}

HRESULT WebBrowser::GetWindow(HWND* window) {
  if (!window)
    return E_POINTER;
  *window = windows_.exists() ? windows_.embedding() : nullptr;
  return *window ? S_OK : E_FAIL;
}

HRESULT WebBrowser::ContextSensitiveHelp(BOOL enter) {
  return E_NOTIMPL;
}

HRESULT WebBrowser::InPlaceDeactivate() {
  UIDeactivate();
  windows_.Destroy();
  if (const ComPtr<IOleInPlaceSite> site = std::move(in_place_site_))
    site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT WebBrowser::UIDeactivate() {
  if (ui_active_ && in_place_site_) {
    ui_active_ = false;
    in_place_site_->OnUIDeactivate(FALSE);
  }
  return S_OK;
}

HRESULT WebBrowser::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position)
    return E_POINTER;
  windows_.SetPosition(*position);
  return S_OK;
}

HRESULT WebBrowser::ReactivateAndUndo() {
  return INPLACE_E_NOTUNDOABLE;
}

HRESULT WebBrowser::TranslateAccelerator(LPMSG message) {
  return S_FALSE;  // the page takes no accelerators
}

HRESULT WebBrowser::OnFrameWindowActivate(BOOL activate) {
  return S_OK;
}

HRESULT WebBrowser::OnDocWindowActivate(BOOL activate) {
  return S_OK;
}

HRESULT WebBrowser::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame_window) {
  return S_OK;
}

HRESULT WebBrowser::EnableModeless(BOOL enable) {
  return S_OK;
}

HRESULT WebBrowser::GetClassID(CLSID* clsid) {
  if (!clsid)
    return E_POINTER;
  *clsid = CLSID_WebBrowser;
  return S_OK;
}

HRESULT WebBrowser::IsDirty() {
  return S_FALSE;
}

HRESULT WebBrowser::Load(IStream* stream) {
  return S_OK;
}

HRESULT WebBrowser::Save(IStream* stream, BOOL clear_dirty) {
  return S_OK;
}

HRESULT WebBrowser::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size)
    return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

HRESULT WebBrowser::InitNew() {
  return S_OK;
}

// In-place activation as OLE lays it out: the site must agree, then gives
// the parent window and the position; the windows are built there.
HRESULT WebBrowser::Activate(bool ui_activate, HWND parent, LPCRECT position) {
  if (!windows_.exists()) {
    const ComPtr<IOleInPlaceSite> site = site_.InPlaceSite();
    if (!site || site->CanInPlaceActivate() != S_OK)
      return E_FAIL;
    site->OnInPlaceActivate();
    HWND site_window = nullptr;
    if (SUCCEEDED(site->GetWindow(&site_window)) && site_window)
      parent = site_window;
    RECT place = position ? *position : RECT{};
    RECT clip = place;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document_window;
    OLEINPLACEFRAMEINFO frame_info = {sizeof(frame_info)};
    site->GetWindowContext(&frame, &document_window, &place, &clip, &frame_info);
    if (!parent || !windows_.Create(parent, place, visible_)) {
      site->OnInPlaceDeactivate();
      return E_FAIL;
    }
    in_place_site_ = site;
  }
  if (ui_activate && !ui_active_) {
    ui_active_ = true;
    in_place_site_->OnUIActivate();
  }
  return S_OK;
}
