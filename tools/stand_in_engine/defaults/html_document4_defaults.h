#ifndef TOOLS_STAND_IN_ENGINE_DEFAULTS_HTML_DOCUMENT4_DEFAULTS_H_
#define TOOLS_STAND_IN_ENGINE_DEFAULTS_HTML_DOCUMENT4_DEFAULTS_H_

#include <windows.h>

#include <mshtml.h>

// Every IHTMLDocument4 method answers E_NOTIMPL until a subclass overrides it;
// IUnknown and IDispatch are left to the subclass.
class HtmlDocument4Defaults : public IHTMLDocument4 {
 public:
  // IHTMLDocument4
  HRESULT STDMETHODCALLTYPE focus() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE hasFocus(VARIANT_BOOL* pfFocus) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onselectionchange(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onselectionchange(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_namespaces(IDispatch** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE createDocumentFromUrl(BSTR bstrUrl,
                                                  BSTR bstrOptions,
                                                  IHTMLDocument2** newDoc) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_media(BSTR v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_media(BSTR* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE createEventObject(VARIANT* pvarEventObject,
                                              IHTMLEventObj** ppEventObj) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE fireEvent(BSTR bstrEventName,
                                      VARIANT* pvarEventObject,
                                      VARIANT_BOOL* pfCancelled) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE createRenderStyle(BSTR v,
                                              IHTMLRenderStyle** ppIHTMLRenderStyle) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_oncontrolselect(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_oncontrolselect(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_URLUnencoded(BSTR* p) override { return E_NOTIMPL; }
};

#endif  // TOOLS_STAND_IN_ENGINE_DEFAULTS_HTML_DOCUMENT4_DEFAULTS_H_
