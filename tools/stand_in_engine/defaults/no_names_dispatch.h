#ifndef TOOLS_STAND_IN_ENGINE_DEFAULTS_NO_NAMES_DISPATCH_H_
#define TOOLS_STAND_IN_ENGINE_DEFAULTS_NO_NAMES_DISPATCH_H_

#include <windows.h>

#include <oaidl.h>

// IDispatch for objects that hosts reach only through their own vtable
// interface: no type information and no members by name.
template <typename Interface>
class NoNamesDispatch : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count)
      return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    if (info)
      *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE
  GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    if (!ids)
      return E_POINTER;
    for (UINT i = 0; i < count; ++i)
      ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id,
                                   REFIID iid,
                                   LCID locale,
                                   WORD flags,
                                   DISPPARAMS* parameters,
                                   VARIANT* result,
                                   EXCEPINFO* exception,
                                   UINT* argument_error) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

#endif  // TOOLS_STAND_IN_ENGINE_DEFAULTS_NO_NAMES_DISPATCH_H_
