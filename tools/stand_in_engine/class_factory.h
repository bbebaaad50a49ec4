#ifndef TOOLS_STAND_IN_ENGINE_CLASS_FACTORY_H_
#define TOOLS_STAND_IN_ENGINE_CLASS_FACTORY_H_

#include <windows.h>

#include <unknwn.h>

#include "tools/stand_in_engine/module_lifetime.h"

// Makes WebBrowser objects for CLSID_WebBrowser; no aggregation.
class ClassFactory final : public IClassFactory {
 public:
  ClassFactory() = default;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs_.Release(this); }

  // IClassFactory
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~ClassFactory() = default;
  friend class ComRefCount;

  ComRefCount refs_;
};

#endif  // TOOLS_STAND_IN_ENGINE_CLASS_FACTORY_H_
