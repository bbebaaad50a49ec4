#ifndef TOOLS_STAND_IN_ENGINE_TESTING_STAND_IN_DLL_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_STAND_IN_DLL_H_

#include <windows.h>

#include <wrl/client.h>

#include <string>

#include "utils/scoped_handle.h"

// stand_in_engine.dll beside the running test program, where the build puts
// both.
std::wstring DefaultStandInDllPath();

// The stand-in engine loaded straight from its DLL, without the registry,
// for tests of the engine itself. Release every object it made before it
// goes.
class StandInDll {
 public:
  explicit StandInDll(const std::wstring& path = DefaultStandInDllPath());
  StandInDll(const StandInDll&) = delete;
  StandInDll& operator=(const StandInDll&) = delete;

  bool loaded() const { return get_class_object_ && can_unload_now_; }
  HMODULE module() const { return module_.get(); }

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const;
  HRESULT CanUnloadNow() const;
  // A new CLSID_WebBrowser object; null on failure.
  Microsoft::WRL::ComPtr<IUnknown> CreateBrowser() const;

 private:
  using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

  unique_hmodule module_;
  GetClassObjectFunction get_class_object_ = nullptr;
  CanUnloadNowFunction can_unload_now_ = nullptr;
};

// True when `object`'s first interface is implemented in `module`: tells the
// stand-in from Wine's own control whatever answers CoCreateInstance.
bool IsImplementedIn(IUnknown* object, HMODULE module);

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_STAND_IN_DLL_H_
