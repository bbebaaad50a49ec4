#include "tools/stand_in_engine/frame_browser.h"

#include "tools/stand_in_engine/scoped_com.h"

void FrameBrowser::SetLoaded(std::wstring final_url) {
  url_ = std::move(final_url);
  loaded_ = true;
}

HRESULT FrameBrowser::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser ||
      iid == IID_IWebBrowserApp || iid == IID_IWebBrowser2) {
    *object = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT FrameBrowser::get_LocationURL(BSTR* url) {
  if (!url)
    return E_POINTER;
  *url = MakeBstr(url_).release();
  return *url ? S_OK : E_OUTOFMEMORY;
}

HRESULT FrameBrowser::get_LocationName(BSTR* name) {
  if (!name)
    return E_POINTER;
  *name = MakeBstr(name_).release();
  return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT FrameBrowser::get_ReadyState(READYSTATE* state) {
  if (!state)
    return E_POINTER;
  *state = loaded_ ? READYSTATE_COMPLETE : READYSTATE_LOADING;
  return S_OK;
}
