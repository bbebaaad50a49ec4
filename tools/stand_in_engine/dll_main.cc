#include <windows.h>

#include <exdisp.h>

#include "tools/stand_in_engine/browser_windows.h"
#include "tools/stand_in_engine/class_factory.h"
#include "tools/stand_in_engine/message_window.h"
#include "tools/stand_in_engine/module_lifetime.h"
#include "tools/stand_in_engine/scoped_com.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetThisModule(instance);
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Unloaded while the process goes on: a later load may land elsewhere, and
    // classes left behind would point into freed code.
    UnregisterBrowserWindowClasses();
    UnregisterMessageWindowClass();
  }
  return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_WebBrowser)
    return CLASS_E_CLASSNOTAVAILABLE;
  return NewComObject<ClassFactory>()->QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return ModuleInUse() ? S_FALSE : S_OK;
}

}  // extern "C"
