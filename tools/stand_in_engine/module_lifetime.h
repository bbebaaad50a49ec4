#ifndef TOOLS_STAND_IN_ENGINE_MODULE_LIFETIME_H_
#define TOOLS_STAND_IN_ENGINE_MODULE_LIFETIME_H_

#include <windows.h>

// What keeps this DLL in use for DllCanUnloadNow: its live COM objects and
// the locks taken through IClassFactory::LockServer. Worker threads hold a
// module reference of their own instead (see page_loader.cc).
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

void SetThisModule(HMODULE module);
HMODULE ThisModule();

// The reference count of one COM object; counts the object as a user of the
// module while it lives. Starts at 1, held by whoever created the object.
class ComRefCount {
 public:
  ComRefCount() { ModuleAddRef(); }
  ~ComRefCount() { ModuleRelease(); }
  ComRefCount(const ComRefCount&) = delete;
  ComRefCount& operator=(const ComRefCount&) = delete;

  ULONG AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }

  template <typename Object>
  ULONG Release(Object* object) {
    const LONG count = ::InterlockedDecrement(&count_);
    if (count == 0)
      delete object;
    return static_cast<ULONG>(count);
  }

 private:
  LONG count_ = 1;
};

#endif  // TOOLS_STAND_IN_ENGINE_MODULE_LIFETIME_H_
