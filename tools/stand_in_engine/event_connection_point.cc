#include "tools/stand_in_engine/event_connection_point.h"

#include <exdisp.h>
#include <olectl.h>

using Microsoft::WRL::ComPtr;

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid)
    return E_POINTER;
  *iid = DIID_DWebBrowserEvents2;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container)
    return E_POINTER;
  *container = container_;
  container_->AddRef();
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie)
    return E_POINTER;
  *cookie = 0;
  ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2,
                                  reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = next_cookie_++;
  sinks_.emplace_back(*cookie, std::move(dispatch));
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  for (auto sink = sinks_.begin(); sink != sinks_.end(); ++sink) {
    if (sink->first == cookie) {
      // Released after the erase: the sink's destructor may call back.
      ComPtr<IDispatch> released = std::move(sink->second);
      sinks_.erase(sink);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections)
    *connections = nullptr;
  return E_NOTIMPL;
}

void EventConnectionPoint::Invoke(DISPID event, DISPPARAMS* parameters) {
  std::vector<ComPtr<IDispatch>> sinks;
  for (const auto& [cookie, sink] : sinks_)
    sinks.push_back(sink);
  for (const ComPtr<IDispatch>& sink : sinks) {
    sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, parameters, nullptr,
                 nullptr, nullptr);
  }
}

void EventConnectionPoint::Clear() {
  auto released = std::move(sinks_);
  sinks_.clear();
}
