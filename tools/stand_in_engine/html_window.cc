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

HRESULT HtmlWindow::GetTypeInfoCount(UINT* count) {
  if (!count)
    return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT HtmlWindow::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  if (info)
    *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT HtmlWindow::GetIDsOfNames(REFIID iid,
                                  LPOLESTR* names,
                                  UINT count,
                                  LCID locale,
                                  DISPID* ids) {
  if (!ids)
    return E_POINTER;
  for (UINT i = 0; i < count; ++i)
    ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT HtmlWindow::Invoke(DISPID id,
                           REFIID iid,
                           LCID locale,
                           WORD flags,
                           DISPPARAMS* parameters,
                           VARIANT* result,
                           EXCEPINFO* exception,
                           UINT* argument_error) {
  return DISP_E_MEMBERNOTFOUND;
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
