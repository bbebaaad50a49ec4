#ifndef UI_BASE_AX_TEST_UTIL_H_
#define UI_BASE_AX_TEST_UTIL_H_

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "ui_base/com_object.h"
#include "utils/com_ptr.h"
#include "utils/scoped_handle.h"

// Test support for control hosting: OLE for the test's thread, a bounded
// message pump, plain windows, and a fake in-place control registered under
// a class id of its own for this process.

class ScopedOleInitialize {
 public:
  ScopedOleInitialize() : result_(::OleInitialize(nullptr)) {}
  ~ScopedOleInitialize() {
    if (SUCCEEDED(result_))
      ::OleUninitialize();
  }
  ScopedOleInitialize(const ScopedOleInitialize&) = delete;
  ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;

  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// Dispatches this thread's messages until `done` or `timeout_ms` pass.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeout_ms = 10000);
// Dispatches what is queued now and what it causes within `ms`.
void PumpMessagesFor(DWORD ms);

// A window whose procedure is DefWindowProcW, placed on the virtual display.
unique_hwnd CreatePlainWindow(HWND parent = nullptr, DWORD style = WS_POPUP | WS_VISIBLE);

// {6A3E1B52-9C41-4B7E-8F0D-2D5C7A9E1F30}
inline constexpr CLSID kFakeControlClsid = {0x6a3e1b52,
                                            0x9c41,
                                            0x4b7e,
                                            {0x8f, 0x0d, 0x2d, 0x5c, 0x7a, 0x9e, 0x1f, 0x30}};
inline constexpr wchar_t kFakeControlClsidText[] = L"{6A3E1B52-9C41-4B7E-8F0D-2D5C7A9E1F30}";

// Keys the fake control treats specially in TranslateAccelerator.
inline constexpr WPARAM kKeyTakenByControl = VK_F5;
inline constexpr WPARAM kKeyThatFaults = VK_F13;

// What the fake control went through, in order, and what it was given.
struct FakeControlRecord {
  std::vector<std::string> calls;
  com_ptr<IOleClientSite> site;
  com_ptr<IOleInPlaceFrame> frame;
  HWND parent = nullptr;
  RECT position = {};
  RECT last_object_rects = {};
  DWORD misc_status = 0;  // answered by GetMiscStatus
  bool alive = false;

  bool Called(const std::string& call) const;
};

// An in-place control that does what a windowed control asks of its site.
class FakeOleControl
    : public ComObject<IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IPersistStreamInit> {
 public:
  explicit FakeOleControl(FakeControlRecord* record);

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD save_option) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position)
      override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  // IPersistStreamInit
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP InitNew() override;

 protected:
  ~FakeOleControl() override;
  void* FindInterface(REFIID iid) override;

 private:
  FakeControlRecord* record_;
  com_ptr<IOleInPlaceSite> in_place_site_;
  bool in_place_active_ = false;
};

// Makes CoCreateInstance of `clsid` return fake controls recording into
// `record` for as long as it lives.
class ScopedFakeControlClass {
 public:
  ScopedFakeControlClass(const CLSID& clsid, FakeControlRecord* record);
  ~ScopedFakeControlClass();
  ScopedFakeControlClass(const ScopedFakeControlClass&) = delete;
  ScopedFakeControlClass& operator=(const ScopedFakeControlClass&) = delete;

  bool ok() const { return cookie_ != 0; }

 private:
  DWORD cookie_ = 0;
};

#endif  // UI_BASE_AX_TEST_UTIL_H_
