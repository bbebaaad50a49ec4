#ifndef TOOLS_STAND_IN_ENGINE_DEFAULTS_WEB_BROWSER2_DEFAULTS_H_
#define TOOLS_STAND_IN_ENGINE_DEFAULTS_WEB_BROWSER2_DEFAULTS_H_

#include <windows.h>

#include <exdisp.h>

#include "tools/stand_in_engine/defaults/no_names_dispatch.h"

// Every IWebBrowser, IWebBrowserApp and IWebBrowser2 method answers E_NOTIMPL
// until a subclass overrides it; IUnknown is left to the subclass, and IDispatch has no members by
// name.
class WebBrowser2Defaults : public NoNamesDispatch<IWebBrowser2> {
 public:
  // IWebBrowser
  HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoHome() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoSearch() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Navigate(BSTR URL,
                                     VARIANT* Flags,
                                     VARIANT* TargetFrameName,
                                     VARIANT* PostData,
                                     VARIANT* Headers) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh2(VARIANT* Level) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Application(IDispatch** ppDisp) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** ppDisp) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Container(IDispatch** ppDisp) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* pBool) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Type(BSTR* Type) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Left(LONG* pl) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Left(LONG Left) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Top(LONG* pl) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Top(LONG Top) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Width(LONG* pl) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Width(LONG Width) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Height(LONG* pl) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Height(LONG Height) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* LocationName) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* pBool) override { return E_NOTIMPL; }
  // IWebBrowserApp
  HRESULT STDMETHODCALLTYPE Quit() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ClientToWindow(int* pcx, int* pcy) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR Property, VARIANT vtValue) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR Property, VARIANT* pvtValue) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* pHWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* FullName) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* Path) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* pBool) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL* pBool) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_StatusText(BSTR* StatusText) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_StatusText(BSTR StatusText) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ToolBar(int* Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ToolBar(int Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL* Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL* pbFullScreen) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL bFullScreen) override { return E_NOTIMPL; }
  // IWebBrowser2
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL,
                                      VARIANT* Flags,
                                      VARIANT* TargetFrameName,
                                      VARIANT* PostData,
                                      VARIANT* Headers) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID cmdID, OLECMDF* pcmdf) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID cmdID,
                                   OLECMDEXECOPT cmdexecopt,
                                   VARIANT* pvaIn,
                                   VARIANT* pvaOut) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT* pvaClsid,
                                           VARIANT* pvarShow,
                                           VARIANT* pvarSize) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* plReadyState) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL* pbOffline) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL bOffline) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* pbSilent) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL bSilent) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL* pbRegister) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL bRegister) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL* pbRegister) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL bRegister) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL* pbRegister) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL bRegister) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL* Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL* Value) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL Value) override { return E_NOTIMPL; }
};

#endif  // TOOLS_STAND_IN_ENGINE_DEFAULTS_WEB_BROWSER2_DEFAULTS_H_
