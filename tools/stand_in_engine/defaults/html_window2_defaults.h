#ifndef TOOLS_STAND_IN_ENGINE_DEFAULTS_HTML_WINDOW2_DEFAULTS_H_
#define TOOLS_STAND_IN_ENGINE_DEFAULTS_HTML_WINDOW2_DEFAULTS_H_

#include <windows.h>

#include <mshtml.h>

#include "tools/stand_in_engine/defaults/no_names_dispatch.h"

// Every IHTMLFramesCollection2 and IHTMLWindow2 method answers E_NOTIMPL until
// a subclass overrides it; IUnknown is left to the subclass, and IDispatch
// has no members by name.
class HtmlWindow2Defaults : public NoNamesDispatch<IHTMLWindow2> {
 public:
  // IHTMLFramesCollection2
  HRESULT STDMETHODCALLTYPE item(VARIANT* pvarIndex, VARIANT* pvarResult) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_length(LONG* p) override { return E_NOTIMPL; }
  // IHTMLWindow2
  HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_defaultStatus(BSTR v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_defaultStatus(BSTR* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_status(BSTR v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_status(BSTR* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE setTimeout(BSTR expression,
                                       LONG msec,
                                       VARIANT* language,
                                       LONG* timerID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE clearTimeout(LONG timerID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE alert(BSTR message) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE confirm(BSTR message, VARIANT_BOOL* confirmed) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE prompt(BSTR message, BSTR defstr, VARIANT* textdata) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Image(IHTMLImageElementFactory** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_history(IOmHistory** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE close() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_opener(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_opener(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_navigator(IOmNavigator** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_name(BSTR v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_name(BSTR* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_parent(IHTMLWindow2** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE open(BSTR url,
                                 BSTR name,
                                 BSTR features,
                                 VARIANT_BOOL replace,
                                 IHTMLWindow2** pomWindowResult) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_self(IHTMLWindow2** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_top(IHTMLWindow2** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_window(IHTMLWindow2** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE navigate(BSTR url) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onfocus(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onfocus(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onblur(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onblur(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onload(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onload(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onbeforeunload(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onbeforeunload(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onunload(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onunload(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onhelp(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onhelp(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onerror(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onerror(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onresize(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onresize(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_onscroll(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_onscroll(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_event(IHTMLEventObj** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE showModalDialog(BSTR dialog,
                                            VARIANT* varArgIn,
                                            VARIANT* varOptions,
                                            VARIANT* varArgOut) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE showHelp(BSTR helpURL, VARIANT helpArg, BSTR features) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_screen(IHTMLScreen** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Option(IHTMLOptionElementFactory** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE focus() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_closed(VARIANT_BOOL* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE blur() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE scroll(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_clientInformation(IOmNavigator** p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE setInterval(BSTR expression,
                                        LONG msec,
                                        VARIANT* language,
                                        LONG* timerID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE clearInterval(LONG timerID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_offscreenBuffering(VARIANT v) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_offscreenBuffering(VARIANT* p) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE execScript(BSTR code, BSTR language, VARIANT* pvarRet) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE toString(BSTR* String) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE scrollBy(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE scrollTo(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE moveTo(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE moveBy(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE resizeTo(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE resizeBy(LONG x, LONG y) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_external(IDispatch** p) override { return E_NOTIMPL; }
};

#endif  // TOOLS_STAND_IN_ENGINE_DEFAULTS_HTML_WINDOW2_DEFAULTS_H_
