#include "tools/stand_in_engine/testing/test_site.h"

namespace {

std::optional<std::wstring> Optional(LPCWSTR text) {
  return text ? std::optional<std::wstring>(text) : std::nullopt;
}

}  // namespace

HRESULT TestSite::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite)
    *object = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
    *object = static_cast<IOleInPlaceSite*>(this);
  else if (iid == __uuidof(IDocHostUIHandler) && offer_ui_handler)
    *object = static_cast<IDocHostUIHandler*>(this);
  else if (iid == IID_IServiceProvider)
    *object = static_cast<IServiceProvider*>(this);
  else if (iid == IID_IOleCommandTarget && offer_command_target)
    *object = static_cast<IOleCommandTarget*>(this);
  if (!*object)
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG TestSite::AddRef() {
  return ::InterlockedIncrement(&refs_);
}

ULONG TestSite::Release() {
  const LONG count = ::InterlockedDecrement(&refs_);
  if (count == 0)
    delete this;
  return count;
}

HRESULT TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker)
    *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT TestSite::GetContainer(IOleContainer** container) {
  if (container)
    *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT TestSite::GetWindow(HWND* window) {
  if (!window)
    return E_POINTER;
  *window = window_;
  return S_OK;
}

HRESULT TestSite::OnInPlaceActivate() {
  ++in_place_activations;
  return S_OK;
}

HRESULT TestSite::OnUIActivate() {
  ++ui_activations;
  return S_OK;
}

HRESULT TestSite::GetWindowContext(IOleInPlaceFrame** frame,
                                   IOleInPlaceUIWindow** document,
                                   LPRECT position_out,
                                   LPRECT clip,
                                   LPOLEINPLACEFRAMEINFO info) {
  if (frame)
    *frame = nullptr;
  if (document)
    *document = nullptr;
  if (position_out)
    *position_out = position;
  if (clip)
    *clip = position;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT TestSite::OnInPlaceDeactivate() {
  ++in_place_deactivations;
  return S_OK;
}

HRESULT TestSite::GetHostInfo(DOCHOSTUIINFO* info) {
  ++host_info_calls;
  trace_->push_back(L"GetHostInfo");
  if (!info)
    return E_POINTER;
  info->dwFlags = host_flags;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  return S_OK;
}

HRESULT TestSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key)
    *key = nullptr;
  return E_NOTIMPL;
}

HRESULT TestSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target)
    *target = nullptr;
  return E_NOTIMPL;
}

HRESULT TestSite::GetExternal(IDispatch** external) {
  if (external)
    *external = nullptr;
  return E_NOTIMPL;
}

HRESULT TestSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
  if (out)
    *out = nullptr;
  return S_FALSE;
}

HRESULT TestSite::FilterDataObject(IDataObject*, IDataObject** out) {
  if (out)
    *out = nullptr;
  return S_FALSE;
}

HRESULT TestSite::QueryService(REFGUID service, REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  if (service != IID_INewWindowManager || !offer_new_window_manager)
    return E_NOINTERFACE;
  if (iid != IID_INewWindowManager && iid != IID_IUnknown)
    return E_NOINTERFACE;
  *object = static_cast<INewWindowManager*>(this);
  AddRef();
  return S_OK;
}

HRESULT TestSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT* in, VARIANT* out) {
  Command command;
  if (group)
    command.group = *group;
  command.id = id;
  command.in_type = in ? in->vt : static_cast<VARTYPE>(VT_EMPTY);
  if (in && in->vt == VT_UNKNOWN)
    command.in_object = in->punkVal;
  command.has_out = out != nullptr;
  commands.push_back(command);
  trace_->push_back(L"Exec " + std::to_wstring(id));
  if (id == OLECMDID_CLOSE)
    return close_answer;
  if (id == OLECMDID_SHOWSCRIPTERROR && script_error_answer) {
    if (out) {
      ::VariantClear(out);
      out->vt = VT_BOOL;
      out->boolVal = *script_error_answer;
    }
    return S_OK;
  }
  return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT TestSite::EvaluateNewWindow(LPCWSTR url,
                                    LPCWSTR name,
                                    LPCWSTR url_context,
                                    LPCWSTR features,
                                    BOOL replace,
                                    DWORD flags,
                                    DWORD user_action_time) {
  evaluations.push_back(Evaluation{url ? url : L"", Optional(name), Optional(url_context),
                                   Optional(features), replace, flags, user_action_time});
  trace_->push_back(std::wstring(L"EvaluateNewWindow ") + (url ? url : L"(null)"));
  return evaluate_answer;
}
