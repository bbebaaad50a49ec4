#include "tools/stand_in_engine/browser_events.h"

#include <exdisp.h>
#include <exdispid.h>
#include <olectl.h>

#include "ui_base/com_object.h"
#include "utils/ole_owners.h"

namespace {

unique_variant String(const std::wstring& text) {
  unique_variant value;
  value.get()->vt = VT_BSTR;
  value.get()->bstrVal = MakeBstr(text.c_str()).release();
  return value;
}

unique_variant Long(LONG number) {
  unique_variant value;
  value.get()->vt = VT_I4;
  value.get()->lVal = number;
  return value;
}

VARIANTARG Argument(VARTYPE type, void* pointer) {
  VARIANTARG argument;
  argument.vt = type;
  argument.byref = pointer;
  return argument;
}

VARIANTARG Ref(unique_variant& value) {
  return Argument(VT_BYREF | VT_VARIANT, value.get());
}

VARIANTARG Frame(IDispatch* frame) {
  return Argument(VT_DISPATCH, frame);
}

class ConnectionPoint final : public ComObject<IConnectionPoint> {
 public:
  ConnectionPoint(IConnectionPointContainer* container, EventSinks* sinks)
      : container_(container), sinks_(sinks) {}

  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    if (!iid)
      return E_POINTER;
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
    return container_.copy_to(container);
  }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    return sinks_->Advise(sink, cookie);
  }
  STDMETHODIMP Unadvise(DWORD cookie) override { return sinks_->Unadvise(cookie); }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IConnectionPoint>(this)});
  }

 private:
  const com_ptr<IConnectionPointContainer> container_;
  EventSinks* const sinks_;  // inside the container, which we hold
};

}  // namespace

HRESULT MakeEventsConnectionPoint(IConnectionPointContainer* container,
                                  EventSinks* sinks,
                                  IConnectionPoint** point) {
  *point = MakeComObject<ConnectionPoint>(container, sinks).release();
  return S_OK;
}

HRESULT EventSinks::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie)
    return E_POINTER;
  *cookie = 0;
  com_ptr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, dispatch.put_void())) &&
      FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void()))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = next_cookie_++;
  sinks_.emplace_back(*cookie, std::move(dispatch));
  return S_OK;
}

HRESULT EventSinks::Unadvise(DWORD cookie) {
  for (auto sink = sinks_.begin(); sink != sinks_.end(); ++sink) {
    if (sink->first == cookie) {
      // Let go after the erase: the sink's destructor may call back.
      const com_ptr<IDispatch> released = std::move(sink->second);
      sinks_.erase(sink);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

void EventSinks::Clear() {
  const auto released = std::exchange(sinks_, {});
}

void EventSinks::Fire(DISPID event, std::initializer_list<VARIANTARG> arguments) {
  // Invoke wants the arguments last first.
  std::vector<VARIANTARG> reversed(std::rbegin(arguments), std::rend(arguments));
  DISPPARAMS parameters = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  std::vector<com_ptr<IDispatch>> sinks;
  for (const auto& [cookie, sink] : sinks_)
    sinks.push_back(sink);
  for (const com_ptr<IDispatch>& sink : sinks) {
    sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                 nullptr, nullptr);
  }
}

bool EventSinks::BeforeNavigate2(IDispatch* frame,
                                 const std::wstring& url,
                                 const std::wstring& target) {
  unique_variant url_value = String(url), flags = Long(0), target_value = String(target);
  unique_variant post_data, headers = String(L"");
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Fire(DISPID_BEFORENAVIGATE2,
       {Frame(frame), Ref(url_value), Ref(flags), Ref(target_value), Ref(post_data), Ref(headers),
        Argument(VT_BYREF | VT_BOOL, &cancel)});
  return cancel != VARIANT_FALSE;
}

void EventSinks::NavigateComplete2(IDispatch* frame, const std::wstring& url) {
  unique_variant url_value = String(url);
  Fire(DISPID_NAVIGATECOMPLETE2, {Frame(frame), Ref(url_value)});
}

void EventSinks::DocumentComplete(IDispatch* frame, const std::wstring& url) {
  unique_variant url_value = String(url);
  Fire(DISPID_DOCUMENTCOMPLETE, {Frame(frame), Ref(url_value)});
}

bool EventSinks::NavigateError(IDispatch* frame,
                               const std::wstring& url,
                               const std::wstring& target,
                               LONG status) {
  unique_variant url_value = String(url), target_value = String(target), code = Long(status);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Fire(DISPID_NAVIGATEERROR, {Frame(frame), Ref(url_value), Ref(target_value), Ref(code),
                              Argument(VT_BYREF | VT_BOOL, &cancel)});
  return cancel != VARIANT_FALSE;
}

void EventSinks::TitleChange(const std::wstring& title) {
  const unique_variant text = String(title);
  Fire(DISPID_TITLECHANGE, {*text.get()});
}

com_ptr<IDispatch> EventSinks::NewWindow3(DWORD flags,
                                          const std::wstring& url_context,
                                          const std::wstring& url,
                                          bool* cancel) {
  com_ptr<IDispatch> browser;
  VARIANT_BOOL cancelled = VARIANT_FALSE;
  const unique_variant flags_value = Long(static_cast<LONG>(flags)), context = String(url_context),
                       url_value = String(url);
  Fire(DISPID_NEWWINDOW3,
       {Argument(VT_BYREF | VT_DISPATCH, browser.put()), Argument(VT_BYREF | VT_BOOL, &cancelled),
        *flags_value.get(), *context.get(), *url_value.get()});
  *cancel = cancelled != VARIANT_FALSE;
  return *cancel ? nullptr : browser;
}

bool EventSinks::WindowClosing() {
  VARIANTARG child_window;
  child_window.vt = VT_BOOL;
  child_window.boolVal = VARIANT_FALSE;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Fire(DISPID_WINDOWCLOSING, {child_window, Argument(VT_BYREF | VT_BOOL, &cancel)});
  return cancel != VARIANT_FALSE;
}
