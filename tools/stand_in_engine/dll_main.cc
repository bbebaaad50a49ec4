#include <windows.h>

#include <exdisp.h>

#include <atomic>
#include <climits>
#include <cwchar>

#include "tools/stand_in_engine/web_browser.h"
#include "ui_base/com_object.h"

namespace {

// Tests make the engine run out of browsers after this many.
unsigned long BrowserLimit() {
  wchar_t limit[16] = L"";
  const DWORD length = ::GetEnvironmentVariableW(L"STAND_IN_ENGINE_BROWSERS", limit, 16);
  return length > 0 && length < 16 ? std::wcstoul(limit, nullptr, 10) : ULONG_MAX;
}

// Makes WebBrowser objects for CLSID_WebBrowser; no aggregation.
class ClassFactory final : public ComObject<IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    static std::atomic<unsigned long> made = 0;
    static const unsigned long limit = BrowserLimit();
    if (!object)
      return E_POINTER;
    *object = nullptr;
    if (outer)
      return CLASS_E_NOAGGREGATION;
    return made++ < limit ? WebBrowser::Create(iid, object) : E_OUTOFMEMORY;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IClassFactory>(this)});
  }
};

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_WebBrowser)
    return CLASS_E_CLASSNOTAVAILABLE;
  // Loaded for good: worker threads, window classes and documents a host
  // keeps may outlive every browser, and none of them holds the DLL.
  HMODULE self = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<const wchar_t*>(&DllGetClassObject), &self);
  return MakeComObject<ClassFactory>()->QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return S_FALSE;
}

}  // extern "C"
