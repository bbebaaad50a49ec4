#include "ui_base/ax_host_window.h"

#include <cwchar>
#include <iterator>

#include "utils/log_failure.h"
#include "utils/ole_owners.h"

namespace {

// The engine frees what the host hands out with CoTaskMemFree.
HRESULT CopyToTaskMemory(const unique_bstr& text, LPOLESTR* out) {
  const size_t size = (text.length() + 1) * sizeof(wchar_t);
  unique_cotaskmem<wchar_t> copy(static_cast<wchar_t*>(::CoTaskMemAlloc(size)));
  if (!copy)
    return E_OUTOFMEMORY;
  std::wmemcpy(copy.get(), text.get() ? text.get() : L"", text.length());
  copy.get()[text.length()] = L'\0';
  *out = copy.release();
  return S_OK;
}

VARIANT_BOOL ToVariantBool(BOOL value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

HRESULT AxHostWindow::CreateControl(const wchar_t* clsid_text, HWND hwnd) {
  if (control_ || !clsid_text)
    return E_UNEXPECTED;
  CLSID clsid;
  HRESULT hr = ::CLSIDFromString(clsid_text, &clsid);
  if (FAILED(hr))
    return hr;
  if (this->hwnd() != hwnd) {
    if (!SubclassWindow(hwnd))
      return E_INVALIDARG;
    AddRef();  // the window's reference, let go in OnFinalMessage
  }
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, control_.put_void());
  if (FAILED(hr))
    return hr;
  return ActivateControl();
}

HRESULT AxHostWindow::ActivateControl() {
  LOG_IF_FAILED(control_.query(&ole_object_));
  DWORD misc_status = 0;
  if (ole_object_)
    LOG_IF_FAILED(ole_object_->GetMiscStatus(DVASPECT_CONTENT, &misc_status));
  const bool site_first = misc_status & OLEMISC_SETCLIENTSITEFIRST;
  if (ole_object_ && site_first)
    (void)ole_object_->SetClientSite(this);
  com_ptr<IPersistStreamInit> persist;
  if (SUCCEEDED(control_.query(&persist)))
    LOG_IF_FAILED(persist->InitNew());
  if (ole_object_ && !site_first)
    (void)ole_object_->SetClientSite(this);
  if (SUCCEEDED(control_.query(&view_object_)))
    LOG_IF_FAILED(view_object_->SetAdvise(DVASPECT_CONTENT, 0, this));
  if (!ole_object_)
    return S_OK;
  RECT position = ClientRect();
  return ole_object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, hwnd(), &position);
}

void AxHostWindow::ReleaseControl() {
  if (view_object_)
    (void)view_object_->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
  if (com_ptr<IOleInPlaceObject> in_place = in_place_object_)
    LOG_IF_FAILED(in_place->InPlaceDeactivate());
  if (ole_object_) {
    LOG_IF_FAILED(ole_object_->Close(OLECLOSE_NOSAVE));
    (void)ole_object_->SetClientSite(nullptr);
  }
  in_place_object_.reset();
  view_object_.reset();
  ole_object_.reset();
  control_.reset();
  in_place_frame_.reset();
}

HRESULT AxHostWindow::QueryControl(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!control_)
    return E_NOINTERFACE;
  return control_->QueryInterface(iid, out);
}

void AxHostWindow::SetExternalDispatch(IDispatch* dispatch) {
  external_dispatch_ = com_ptr<IDispatch>(dispatch);
}

void AxHostWindow::SetExternalUIHandler(IDocHostUIHandlerDispatch* handler) {
  external_ui_handler_ = com_ptr<IDocHostUIHandlerDispatch>(handler);
}

RECT AxHostWindow::ClientRect() const {
  RECT rect = {};
  ::GetClientRect(hwnd(), &rect);
  return rect;
}

void* AxHostWindow::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {
                                  Offer<IOleClientSite>(this),
                                  Offer<IOleInPlaceSiteWindowless>(this),
                                  Offer<IOleInPlaceSiteEx>(this),
                                  Offer<IOleInPlaceSite>(this),
                                  Offer<IOleWindow>(this),
                                  Offer<IOleControlSite>(this),
                                  Offer<IOleContainer>(this),
                                  Offer<IObjectWithSite>(this),
                                  Offer<IServiceProvider>(this),
                                  Offer<IDocHostUIHandler>(this),
                                  Offer<IAdviseSink>(this),
                              });
}

void AxHostWindow::OnFinalMessage(HWND) {
  Release();
}

// Window messages.

LRESULT AxHostWindow::OnPaint(UINT, WPARAM, LPARAM, bool& handled) {
  if (control_) {
    handled = false;
    return 0;
  }
  PAINTSTRUCT paint;
  if (const HDC dc = ::BeginPaint(hwnd(), &paint)) {
    const RECT client = ClientRect();
    const HBRUSH brush = ::CreateSolidBrush(background_);
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
    ::EndPaint(hwnd(), &paint);
  }
  return 0;
}

LRESULT AxHostWindow::OnEraseBackground(UINT, WPARAM, LPARAM, bool& handled) {
  // The control paints all of it.
  handled = static_cast<bool>(control_);
  return 1;
}

LRESULT AxHostWindow::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
  if (in_place_object_) {
    const RECT client = ClientRect();
    LOG_IF_FAILED(in_place_object_->SetObjectRects(&client, &client));
  }
  handled = false;
  return 0;
}

LRESULT AxHostWindow::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
  if (ole_object_ && !ui_active_) {
    RECT position = ClientRect();
    LOG_IF_FAILED(ole_object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, hwnd(), &position));
  }
  handled = false;
  return 0;
}

LRESULT AxHostWindow::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  ReleaseControl();
  handled = false;
  return 0;
}

LRESULT AxHostWindow::OnForwardMessage(UINT, WPARAM, LPARAM lparam, bool&) {
  auto* msg = reinterpret_cast<MSG*>(lparam);
  com_ptr<IOleInPlaceActiveObject> active_object;
  if (!msg || FAILED(QueryControl(&active_object)))
    return 0;
  return active_object->TranslateAccelerator(msg) == S_OK ? 1 : 0;
}

// IOleClientSite

STDMETHODIMP AxHostWindow::SaveObject() {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker)
    *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::GetContainer(IOleContainer** container) {
  return QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
}

STDMETHODIMP AxHostWindow::ShowObject() {
  return S_OK;
}

STDMETHODIMP AxHostWindow::OnShowWindow(BOOL) {
  return S_OK;
}

STDMETHODIMP AxHostWindow::RequestNewObjectLayout() {
  return E_NOTIMPL;
}

// IOleWindow, IOleInPlaceSite(Ex)

STDMETHODIMP AxHostWindow::GetWindow(HWND* window) {
  if (!window)
    return E_POINTER;
  *window = hwnd();
  return S_OK;
}

STDMETHODIMP AxHostWindow::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::CanInPlaceActivate() {
  return S_OK;
}

STDMETHODIMP AxHostWindow::OnInPlaceActivate() {
  return control_.query(&in_place_object_);
}

STDMETHODIMP AxHostWindow::OnUIActivate() {
  ui_active_ = true;
  return S_OK;
}

STDMETHODIMP AxHostWindow::GetWindowContext(IOleInPlaceFrame** frame,
                                            IOleInPlaceUIWindow** document,
                                            LPRECT position,
                                            LPRECT clip,
                                            LPOLEINPLACEFRAMEINFO frame_info) {
  if (!frame || !document || !position || !clip || !frame_info)
    return E_POINTER;
  const HWND parent = ::GetParent(hwnd());
  const HWND frame_window = parent ? parent : hwnd();
  if (!in_place_frame_)
    in_place_frame_ = MakeComObject<AxInPlaceFrame>(frame_window);
  *frame = in_place_frame_.get();
  (*frame)->AddRef();
  *document = nullptr;  // the frame is the document window too
  *position = ClientRect();
  *clip = *position;
  frame_info->fMDIApp = FALSE;
  frame_info->hwndFrame = frame_window;
  frame_info->haccel = nullptr;
  frame_info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP AxHostWindow::Scroll(SIZE) {
  return S_FALSE;
}

STDMETHODIMP AxHostWindow::OnUIDeactivate(BOOL) {
  ui_active_ = false;
  return S_OK;
}

STDMETHODIMP AxHostWindow::OnInPlaceDeactivate() {
  ui_active_ = false;
  in_place_object_.reset();
  return S_OK;
}

STDMETHODIMP AxHostWindow::DiscardUndoState() {
  return S_OK;
}

STDMETHODIMP AxHostWindow::DeactivateAndUndo() {
  return in_place_object_ ? in_place_object_->UIDeactivate() : S_OK;
}

STDMETHODIMP AxHostWindow::OnPosRectChange(LPCRECT position) {
  if (!position)
    return E_POINTER;
  return in_place_object_ ? in_place_object_->SetObjectRects(position, position) : S_OK;
}

STDMETHODIMP AxHostWindow::OnInPlaceActivateEx(BOOL* no_redraw, DWORD) {
  if (no_redraw)
    *no_redraw = FALSE;
  return OnInPlaceActivate();
}

STDMETHODIMP AxHostWindow::OnInPlaceDeactivateEx(BOOL) {
  return OnInPlaceDeactivate();
}

STDMETHODIMP AxHostWindow::RequestUIActivate() {
  return S_OK;
}

// IOleInPlaceSiteWindowless: refused, so none of the rest is ever asked.

STDMETHODIMP AxHostWindow::CanWindowlessActivate() {
  return S_FALSE;
}

STDMETHODIMP AxHostWindow::GetCapture() {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::SetCapture(BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::GetFocus() {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::SetFocus(BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::GetDC(LPCRECT, DWORD, HDC* dc) {
  if (dc)
    *dc = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::ReleaseDC(HDC) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::InvalidateRect(LPCRECT, BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::InvalidateRgn(HRGN, BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::ScrollRect(INT, INT, LPCRECT, LPCRECT) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::AdjustRect(LPRECT) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result)
    *result = 0;
  return E_NOTIMPL;
}

// IOleControlSite

STDMETHODIMP AxHostWindow::OnControlInfoChanged() {
  return S_OK;
}

STDMETHODIMP AxHostWindow::LockInPlaceActive(BOOL) {
  return S_OK;
}

STDMETHODIMP AxHostWindow::GetExtendedControl(IDispatch** control) {
  if (control)
    *control = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::TransformCoords(POINTL*, POINTF*, DWORD) {
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::TranslateAccelerator(MSG*, DWORD) {
  return S_FALSE;
}

STDMETHODIMP AxHostWindow::OnFocus(BOOL) {
  return S_OK;
}

STDMETHODIMP AxHostWindow::ShowPropertyFrame() {
  return E_NOTIMPL;
}

// IOleContainer

STDMETHODIMP AxHostWindow::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** moniker) {
  if (moniker)
    *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::EnumObjects(DWORD, IEnumUnknown** objects) {
  if (objects)
    *objects = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP AxHostWindow::LockContainer(BOOL) {
  return S_OK;
}

// IObjectWithSite

STDMETHODIMP AxHostWindow::SetSite(IUnknown* site) {
  site_ = com_ptr<IUnknown>(site);
  return S_OK;
}

STDMETHODIMP AxHostWindow::GetSite(REFIID iid, void** site) {
  if (!site)
    return E_POINTER;
  *site = nullptr;
  return site_ ? site_->QueryInterface(iid, site) : E_FAIL;
}

// IDocHostUIHandler: asks the external UI handler; the initial result is
// what the engine gets when the handler leaves it alone.

STDMETHODIMP AxHostWindow::ShowContextMenu(DWORD id,
                                           POINT* point,
                                           IUnknown* command_target,
                                           IDispatch* object_hit) {
  HRESULT result = S_FALSE;  // the engine's own menu
  if (external_ui_handler_ && point) {
    (void)external_ui_handler_->ShowContextMenu(id, point->x, point->y, command_target, object_hit,
                                                &result);
  }
  return result;
}

STDMETHODIMP AxHostWindow::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info)
    return E_POINTER;
  if (external_ui_handler_)
    return external_ui_handler_->GetHostInfo(&info->dwFlags, &info->dwDoubleClick);
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

STDMETHODIMP AxHostWindow::ShowUI(DWORD id,
                                  IOleInPlaceActiveObject* active_object,
                                  IOleCommandTarget* command_target,
                                  IOleInPlaceFrame* frame,
                                  IOleInPlaceUIWindow* document) {
  HRESULT result = S_FALSE;  // the engine shows its own
  if (external_ui_handler_) {
    (void)external_ui_handler_->ShowUI(id, active_object, command_target, frame, document, &result);
  }
  return result;
}

STDMETHODIMP AxHostWindow::HideUI() {
  return external_ui_handler_ ? external_ui_handler_->HideUI() : S_OK;
}

STDMETHODIMP AxHostWindow::UpdateUI() {
  return external_ui_handler_ ? external_ui_handler_->UpdateUI() : S_OK;
}

STDMETHODIMP AxHostWindow::EnableModeless(BOOL enable) {
  return external_ui_handler_ ? external_ui_handler_->EnableModeless(ToVariantBool(enable)) : S_OK;
}

STDMETHODIMP AxHostWindow::OnDocWindowActivate(BOOL activate) {
  return external_ui_handler_ ? external_ui_handler_->OnDocWindowActivate(ToVariantBool(activate))
                              : S_OK;
}

STDMETHODIMP AxHostWindow::OnFrameWindowActivate(BOOL activate) {
  return external_ui_handler_ ? external_ui_handler_->OnFrameWindowActivate(ToVariantBool(activate))
                              : S_OK;
}

STDMETHODIMP AxHostWindow::ResizeBorder(LPCRECT border,
                                        IOleInPlaceUIWindow* ui_window,
                                        BOOL frame_window) {
  if (!external_ui_handler_ || !border)
    return S_OK;
  return external_ui_handler_->ResizeBorder(border->left, border->top, border->right,
                                            border->bottom, ui_window, ToVariantBool(frame_window));
}

STDMETHODIMP AxHostWindow::TranslateAccelerator(LPMSG msg,
                                                const GUID* command_group,
                                                DWORD command_id) {
  HRESULT result = S_FALSE;  // not taken
  if (!external_ui_handler_ || !msg)
    return result;
  wchar_t group_text[40] = L"";
  if (command_group)
    ::StringFromGUID2(*command_group, group_text, static_cast<int>(std::size(group_text)));
  const unique_bstr group = MakeBstr(group_text);
  (void)external_ui_handler_->TranslateAccelerator(reinterpret_cast<DWORD_PTR>(msg->hwnd),
                                                   msg->message, msg->wParam, msg->lParam,
                                                   group.get(), command_id, &result);
  return result;
}

STDMETHODIMP AxHostWindow::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
  if (!key)
    return E_POINTER;
  *key = nullptr;
  if (!external_ui_handler_)
    return S_FALSE;
  unique_bstr handler_key;
  const HRESULT hr = external_ui_handler_->GetOptionKeyPath(handler_key.put(), reserved);
  if (FAILED(hr) || !handler_key.get())
    return FAILED(hr) ? hr : S_FALSE;
  return CopyToTaskMemory(handler_key, key);
}

STDMETHODIMP AxHostWindow::GetDropTarget(IDropTarget* drop_target, IDropTarget** replacement) {
  if (!replacement)
    return E_POINTER;
  *replacement = nullptr;
  if (!external_ui_handler_)
    return E_NOTIMPL;
  com_ptr<IUnknown> handler_target;
  const HRESULT hr = external_ui_handler_->GetDropTarget(drop_target, handler_target.put());
  if (FAILED(hr) || !handler_target)
    return FAILED(hr) ? hr : E_NOTIMPL;
  return handler_target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(replacement));
}

STDMETHODIMP AxHostWindow::GetExternal(IDispatch** external) {
  if (!external)
    return E_POINTER;
  *external = nullptr;
  // What a failing handler leaves behind is released here.
  com_ptr<IDispatch> from_handler;
  if (external_ui_handler_ && SUCCEEDED(external_ui_handler_->GetExternal(from_handler.put())) &&
      from_handler) {
    *external = from_handler.release();
    return S_OK;
  }
  if (!external_dispatch_)
    return E_NOINTERFACE;
  return external_dispatch_.copy_to(external);
}

STDMETHODIMP AxHostWindow::TranslateUrl(DWORD translate, LPWSTR url_in, LPWSTR* url_out) {
  if (!url_out)
    return E_POINTER;
  *url_out = nullptr;
  if (!external_ui_handler_)
    return S_FALSE;
  const unique_bstr in = MakeBstr(url_in);
  unique_bstr out;
  const HRESULT hr = external_ui_handler_->TranslateUrl(translate, in.get(), out.put());
  if (FAILED(hr) || !out.get())
    return FAILED(hr) ? hr : S_FALSE;
  return CopyToTaskMemory(out, url_out);
}

STDMETHODIMP AxHostWindow::FilterDataObject(IDataObject* data_object, IDataObject** replacement) {
  if (!replacement)
    return E_POINTER;
  *replacement = nullptr;
  if (!external_ui_handler_)
    return S_FALSE;
  com_ptr<IUnknown> handler_object;
  (void)external_ui_handler_->FilterDataObject(data_object, handler_object.put());
  if (!handler_object || FAILED(handler_object->QueryInterface(
                             IID_IDataObject, reinterpret_cast<void**>(replacement))))
    return S_FALSE;
  return S_OK;
}

// IAdviseSink: the control draws itself in its own window.

STDMETHODIMP_(void) AxHostWindow::OnDataChange(FORMATETC*, STGMEDIUM*) {}
STDMETHODIMP_(void) AxHostWindow::OnViewChange(DWORD, LONG) {}
STDMETHODIMP_(void) AxHostWindow::OnRename(IMoniker*) {}
STDMETHODIMP_(void) AxHostWindow::OnSave() {}
STDMETHODIMP_(void) AxHostWindow::OnClose() {}
