#include "tools/stand_in_engine/html_document.h"

#include "utils/ole_owners.h"

namespace {

class HtmlWindow final : public ComObject<HtmlWindowStubs> {
 public:
  explicit HtmlWindow(com_ptr<HtmlDocument> document) : document_(std::move(document)) {}

  STDMETHODIMP focus() override { return document_->focus(); }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IHTMLWindow2>(this), Offer<IDispatch, IHTMLWindow2>(this),
                                 Offer<IHTMLFramesCollection2, IHTMLWindow2>(this)});
  }

 private:
  const com_ptr<HtmlDocument> document_;
};

}  // namespace

void* HtmlDocument::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid,
                         {Offer<IHTMLDocument2>(this), Offer<IDispatch, IHTMLDocument2>(this),
                          Offer<IHTMLDocument, IHTMLDocument2>(this), Offer<IHTMLDocument4>(this)});
}

STDMETHODIMP HtmlDocument::get_title(BSTR* title) {
  if (!title)
    return E_POINTER;
  *title = MakeBstr(title_.c_str()).release();
  return S_OK;
}

STDMETHODIMP HtmlDocument::get_parentWindow(IHTMLWindow2** window) {
  if (!window)
    return E_POINTER;
  *window = MakeComObject<HtmlWindow>(com_ptr<HtmlDocument>(this)).release();
  return S_OK;
}

STDMETHODIMP HtmlDocument::focus() {
  HWND page = PageWindow();
  if (!page)
    return E_FAIL;
  ::SetFocus(page);
  return ::GetFocus() == page ? S_OK : E_FAIL;
}

STDMETHODIMP HtmlDocument::hasFocus(VARIANT_BOOL* focused) {
  if (!focused)
    return E_POINTER;
  HWND page = PageWindow();
  *focused = page && ::GetFocus() == page ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
