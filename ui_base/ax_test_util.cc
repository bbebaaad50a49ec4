#include "ui_base/ax_test_util.h"

#include <algorithm>

namespace {

class FakeControlFactory : public ComObject<IClassFactory> {
 public:
  explicit FakeControlFactory(FakeControlRecord* record) : record_(record) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    if (outer)
      return CLASS_E_NOAGGREGATION;
    return MakeComObject<FakeOleControl>(record_)->QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IClassFactory>(this)});
  }

 private:
  FakeControlRecord* record_;
};

}  // namespace

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  while (!done()) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done())
      return true;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline)
      return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                QS_ALLINPUT);
  }
  return true;
}

void PumpMessagesFor(DWORD ms) {
  (void)PumpMessagesUntil([] { return false; }, ms);
}

unique_hwnd CreatePlainWindow(HWND parent, DWORD style) {
  unique_hwnd window(::CreateWindowExW(0, L"STATIC", L"", style & ~WS_VISIBLE, 10, 10, 400, 300,
                                       parent, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  // Shown without activation: Wine under Xvfb takes two seconds to destroy
  // a window that was activated.
  if (window && (style & WS_VISIBLE))
    ::ShowWindow(window.get(), SW_SHOWNA);
  return window;
}

bool FakeControlRecord::Called(const std::string& call) const {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

FakeOleControl::FakeOleControl(FakeControlRecord* record) : record_(record) {
  record_->alive = true;
}

FakeOleControl::~FakeOleControl() {
  record_->alive = false;
}

STDMETHODIMP FakeOleControl::SetClientSite(IOleClientSite* site) {
  record_->calls.push_back(site ? "SetClientSite" : "SetClientSite(null)");
  record_->site = com_ptr<IOleClientSite>(site);
  return S_OK;
}

STDMETHODIMP FakeOleControl::GetClientSite(IOleClientSite** site) {
  return record_->site.copy_to(site);
}

STDMETHODIMP FakeOleControl::Close(DWORD save_option) {
  record_->calls.push_back(save_option == OLECLOSE_NOSAVE ? "Close(NOSAVE)" : "Close");
  return S_OK;
}

STDMETHODIMP FakeOleControl::DoVerb(LONG verb,
                                    LPMSG,
                                    IOleClientSite* site,
                                    LONG,
                                    HWND parent,
                                    LPCRECT position) {
  record_->calls.push_back("DoVerb(" + std::to_string(verb) + ")");
  record_->parent = parent;
  if (position)
    record_->position = *position;
  if (!site)
    return E_INVALIDARG;
  if (!in_place_site_ &&
      FAILED(site->QueryInterface(IID_IOleInPlaceSite, in_place_site_.put_void()))) {
    return E_NOINTERFACE;
  }
  if (!in_place_active_) {
    if (in_place_site_->CanInPlaceActivate() != S_OK)
      return E_FAIL;
    (void)in_place_site_->OnInPlaceActivate();
    com_ptr<IOleInPlaceUIWindow> document;
    RECT clip;
    OLEINPLACEFRAMEINFO frame_info = {sizeof(frame_info)};
    record_->frame.reset();
    if (FAILED(in_place_site_->GetWindowContext(record_->frame.put(), document.put(),
                                                &record_->position, &clip, &frame_info))) {
      return E_FAIL;
    }
    in_place_active_ = true;
  }
  if (verb == OLEIVERB_UIACTIVATE)
    (void)in_place_site_->OnUIActivate();
  return S_OK;
}

STDMETHODIMP FakeOleControl::GetMiscStatus(DWORD, DWORD* status) {
  record_->calls.push_back("GetMiscStatus");
  *status = record_->misc_status;
  return S_OK;
}

STDMETHODIMP FakeOleControl::GetWindow(HWND* window) {
  *window = record_->parent;
  return S_OK;
}

STDMETHODIMP FakeOleControl::InPlaceDeactivate() {
  record_->calls.push_back("InPlaceDeactivate");
  if (in_place_active_ && in_place_site_) {
    in_place_active_ = false;
    (void)in_place_site_->OnInPlaceDeactivate();
  }
  return S_OK;
}

STDMETHODIMP FakeOleControl::UIDeactivate() {
  record_->calls.push_back("UIDeactivate");
  return S_OK;
}

STDMETHODIMP FakeOleControl::SetObjectRects(LPCRECT position, LPCRECT) {
  record_->last_object_rects = *position;
  return S_OK;
}

STDMETHODIMP FakeOleControl::TranslateAccelerator(LPMSG msg) {
  record_->calls.push_back("TranslateAccelerator(" + std::to_string(msg->message) + ")");
  if (msg->wParam == kKeyThatFaults) {
    volatile UINT_PTR address = 0x10;
    *reinterpret_cast<volatile int*>(address) = 1;
  }
  return msg->wParam == kKeyTakenByControl ? S_OK : S_FALSE;
}

STDMETHODIMP FakeOleControl::GetClassID(CLSID* clsid) {
  *clsid = kFakeControlClsid;
  return S_OK;
}

STDMETHODIMP FakeOleControl::InitNew() {
  record_->calls.push_back("InitNew");
  return S_OK;
}

void* FakeOleControl::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {
                                  Offer<IOleObject>(this),
                                  Offer<IOleInPlaceObject>(this),
                                  Offer<IOleInPlaceActiveObject>(this),
                                  Offer<IOleWindow, IOleInPlaceObject>(this),
                                  Offer<IPersistStreamInit>(this),
                              });
}

ScopedFakeControlClass::ScopedFakeControlClass(const CLSID& clsid, FakeControlRecord* record) {
  const com_ptr<FakeControlFactory> factory = MakeComObject<FakeControlFactory>(record);
  if (FAILED(::CoRegisterClassObject(clsid, factory->GetUnknown(), CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_))) {
    cookie_ = 0;
  }
}

ScopedFakeControlClass::~ScopedFakeControlClass() {
  if (cookie_)
    ::CoRevokeClassObject(cookie_);
}
