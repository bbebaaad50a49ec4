#include <windows.h>

#include <exdisp.h>

#include "tools/stand_in_engine/web_browser.h"
#include "ui_base/com_object.h"

namespace {

// Makes WebBrowser objects for CLSID_WebBrowser; no aggregation.
class ClassFactory final : public ComObject<IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object)
      return E_POINTER;
    *object = nullptr;
    return outer ? CLASS_E_NOAGGREGATION : WebBrowser::Create(iid, object);
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
