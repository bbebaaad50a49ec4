#include "ui_base/ax_in_place_frame.h"

STDMETHODIMP AxInPlaceFrame::GetWindow(HWND* window) {
  if (!window)
    return E_POINTER;
  *window = window_;
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP AxInPlaceFrame::GetBorder(LPRECT) {
  return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP AxInPlaceFrame::RequestBorderSpace(LPCBORDERWIDTHS) {
  return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP AxInPlaceFrame::SetBorderSpace(LPCBORDERWIDTHS) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::SetMenu(HMENU, HOLEMENU, HWND) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::RemoveMenus(HMENU) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::SetStatusText(LPCOLESTR) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::EnableModeless(BOOL) {
  return S_OK;
}

STDMETHODIMP AxInPlaceFrame::TranslateAccelerator(LPMSG, WORD) {
  return S_FALSE;
}

void* AxInPlaceFrame::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {Offer<IOleInPlaceFrame>(this), Offer<IOleInPlaceUIWindow>(this),
                               Offer<IOleWindow>(this)});
}
