#ifndef TOOLS_STAND_IN_ENGINE_HTML_WINDOW_H_
#define TOOLS_STAND_IN_ENGINE_HTML_WINDOW_H_

#include <windows.h>

#include <wrl/client.h>

#include "tools/stand_in_engine/defaults/html_window2_defaults.h"
#include "tools/stand_in_engine/html_document.h"
#include "tools/stand_in_engine/module_lifetime.h"

// The document's parent window: IHTMLWindow2 focus and document.
class HtmlWindow final : public HtmlWindow2Defaults {
 public:
  explicit HtmlWindow(Microsoft::WRL::ComPtr<HtmlDocument> document)
      : document_(std::move(document)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs_.Release(this); }

  // IHTMLWindow2
  HRESULT STDMETHODCALLTYPE focus() override;
  HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** document) override;

 private:
  friend class ComRefCount;
  ~HtmlWindow() = default;

  ComRefCount refs_;
  const Microsoft::WRL::ComPtr<HtmlDocument> document_;
};

#endif  // TOOLS_STAND_IN_ENGINE_HTML_WINDOW_H_
