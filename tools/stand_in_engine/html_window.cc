#include "tools/stand_in_engine/html_window.h"

HRESULT HtmlWindow::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLFramesCollection2 ||
      iid == IID_IHTMLWindow2) {
    *object = static_cast<IHTMLWindow2*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT HtmlWindow::focus() {
  return document_->focus();
}

HRESULT HtmlWindow::get_document(IHTMLDocument2** document) {
  if (!document)
    return E_POINTER;
  *document = document_.Get();
  document_->AddRef();
  return S_OK;
}
