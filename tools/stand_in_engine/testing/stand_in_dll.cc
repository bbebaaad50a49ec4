#include "tools/stand_in_engine/testing/stand_in_dll.h"

#include <exdisp.h>
#include <shlwapi.h>

std::wstring DefaultStandInDllPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !::PathRemoveFileSpecW(path) ||
      !::PathAppendW(path, L"stand_in_engine.dll")) {
    return std::wstring();
  }
  return path;
}

StandInDll::StandInDll(const std::wstring& path) : module_(::LoadLibraryW(path.c_str())) {
  if (!module_)
    return;
  get_class_object_ = reinterpret_cast<GetClassObjectFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module_.get(), "DllGetClassObject")));
  can_unload_now_ = reinterpret_cast<CanUnloadNowFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module_.get(), "DllCanUnloadNow")));
}

HRESULT StandInDll::GetClassObject(REFCLSID clsid, REFIID iid, void** object) const {
  return get_class_object_ ? get_class_object_(clsid, iid, object) : E_UNEXPECTED;
}

HRESULT StandInDll::CanUnloadNow() const {
  return can_unload_now_ ? can_unload_now_() : E_UNEXPECTED;
}

Microsoft::WRL::ComPtr<IUnknown> StandInDll::CreateBrowser() const {
  Microsoft::WRL::ComPtr<IClassFactory> factory;
  Microsoft::WRL::ComPtr<IUnknown> browser;
  if (SUCCEEDED(GetClassObject(CLSID_WebBrowser, IID_PPV_ARGS(&factory))))
    factory->CreateInstance(nullptr, IID_PPV_ARGS(&browser));
  return browser;
}

bool IsImplementedIn(IUnknown* object, HMODULE module) {
  if (!object || !module)
    return false;
  const void* vtable = *reinterpret_cast<void* const*>(object);
  HMODULE owner = nullptr;
  return ::GetModuleHandleExW(
             GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
             static_cast<const wchar_t*>(vtable), &owner) &&
         owner == module;
}
