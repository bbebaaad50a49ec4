#ifndef TOOLS_STAND_IN_ENGINE_HTML_DOCUMENT_H_
#define TOOLS_STAND_IN_ENGINE_HTML_DOCUMENT_H_

#include <windows.h>

#include <string>

#include "tools/stand_in_engine/defaults/html_document2_defaults.h"
#include "tools/stand_in_engine/defaults/html_document4_defaults.h"
#include "tools/stand_in_engine/module_lifetime.h"

// What a document needs from the browser that shows it.
class DocumentHost {
 public:
  // The "Internet Explorer_Server" window; null while there is none.
  virtual HWND PageWindow() = 0;
  // A script (here: the host) changed the title.
  virtual void OnTitleSet(const std::wstring& title) = 0;

 protected:
  ~DocumentHost() = default;
};

// The top document: IHTMLDocument2 (title, parentWindow, URL, readyState),
// IHTMLDocument4 (focus, hasFocus), and through IDispatch the properties
// "documentMode", "title" and "URL" by name.
class HtmlDocument final : public HtmlDocument2Defaults, public HtmlDocument4Defaults {
 public:
  HtmlDocument(DocumentHost* host, std::wstring url, std::wstring title, int document_mode);

  // The browser moved on or went away; the document stays readable.
  void Detach() { host_ = nullptr; }
  void SetComplete() { complete_ = true; }
  HWND PageWindow() const { return host_ ? host_->PageWindow() : nullptr; }
  const std::wstring& title() const { return title_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs_.Release(this); }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE
  GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id,
                                   REFIID iid,
                                   LCID locale,
                                   WORD flags,
                                   DISPPARAMS* parameters,
                                   VARIANT* result,
                                   EXCEPINFO* exception,
                                   UINT* argument_error) override;

  // IHTMLDocument2
  HRESULT STDMETHODCALLTYPE get_title(BSTR* title) override;
  HRESULT STDMETHODCALLTYPE put_title(BSTR title) override;
  HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** window) override;
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_readyState(BSTR* state) override;

  // IHTMLDocument4
  HRESULT STDMETHODCALLTYPE focus() override;
  HRESULT STDMETHODCALLTYPE hasFocus(VARIANT_BOOL* focused) override;

 private:
  friend class ComRefCount;
  ~HtmlDocument() = default;

  ComRefCount refs_;
  DocumentHost* host_;
  const std::wstring url_;
  std::wstring title_;
  const int document_mode_;
  bool complete_ = false;
};

#endif  // TOOLS_STAND_IN_ENGINE_HTML_DOCUMENT_H_
