#ifndef TOOLS_STAND_IN_ENGINE_FRAME_BROWSER_H_
#define TOOLS_STAND_IN_ENGINE_FRAME_BROWSER_H_

#include <windows.h>

#include <string>

#include "tools/stand_in_engine/defaults/web_browser2_defaults.h"
#include "tools/stand_in_engine/module_lifetime.h"

// One iframe of the top document, as the engine hands it to the host in the
// frame argument of its events: an IWebBrowser2 of its own, distinct from
// the top browser and from every other frame.
class FrameBrowser final : public WebBrowser2Defaults {
 public:
  FrameBrowser(std::wstring url, std::wstring name)
      : url_(std::move(url)), name_(std::move(name)) {}

  const std::wstring& url() const { return url_; }
  const std::wstring& name() const { return name_; }
  void SetLoaded(std::wstring final_url);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs_.Release(this); }

  // IWebBrowser2
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* state) override;

 private:
  friend class ComRefCount;
  ~FrameBrowser() = default;

  ComRefCount refs_;
  std::wstring url_;
  const std::wstring name_;
  bool loaded_ = false;
};

#endif  // TOOLS_STAND_IN_ENGINE_FRAME_BROWSER_H_
