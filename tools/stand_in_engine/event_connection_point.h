#ifndef TOOLS_STAND_IN_ENGINE_EVENT_CONNECTION_POINT_H_
#define TOOLS_STAND_IN_ENGINE_EVENT_CONNECTION_POINT_H_

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

// The DWebBrowserEvents2 connection point of one browser. It lives inside
// the browser object and shares its reference count, so a host that holds
// the connection point keeps the browser alive.
class EventConnectionPoint final : public IConnectionPoint {
 public:
  explicit EventConnectionPoint(IConnectionPointContainer* container) : container_(container) {}
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return container_->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_->Release(); }

  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

  // Calls every sink advised when the call starts, in the order they came;
  // a sink that unadvises meanwhile is still called this once.
  void Invoke(DISPID event, DISPPARAMS* parameters);
  // Drops every sink.
  void Clear();

 private:
  IConnectionPointContainer* const container_;
  DWORD next_cookie_ = 1;
  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
};

#endif  // TOOLS_STAND_IN_ENGINE_EVENT_CONNECTION_POINT_H_
