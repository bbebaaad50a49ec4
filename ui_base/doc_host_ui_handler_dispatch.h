#ifndef UI_BASE_DOC_HOST_UI_HANDLER_DISPATCH_H_
#define UI_BASE_DOC_HOST_UI_HANDLER_DISPATCH_H_

#include <windows.h>

#include <oaidl.h>

// The automation form of IDocHostUIHandler through which a control host
// lets another object decide its user interface. mingw-w64 ships no ATL, so
// its interface definition (atliface.idl) is written out here.
// {425B5AF0-65F1-11D1-9611-0000F81E0D0D}
struct IDocHostUIHandlerDispatch : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id,
                                                    DWORD x,
                                                    DWORD y,
                                                    IUnknown* command_target,
                                                    IDispatch* object_hit,
                                                    HRESULT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* flags, DWORD* double_click) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD id,
                                           IUnknown* active_object,
                                           IUnknown* command_target,
                                           IUnknown* frame,
                                           IUnknown* document,
                                           HRESULT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE HideUI() = 0;
  virtual HRESULT STDMETHODCALLTYPE UpdateUI() = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableModeless(VARIANT_BOOL enable) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(VARIANT_BOOL activate) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(VARIANT_BOOL activate) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResizeBorder(long left,
                                                 long top,
                                                 long right,
                                                 long bottom,
                                                 IUnknown* ui_window,
                                                 VARIANT_BOOL frame_window) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(DWORD_PTR hwnd,
                                                         DWORD message,
                                                         DWORD_PTR wparam,
                                                         DWORD_PTR lparam,
                                                         BSTR command_group,
                                                         DWORD command_id,
                                                         HRESULT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(BSTR* key, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IUnknown* drop_target,
                                                  IUnknown** replacement) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, BSTR url_in, BSTR* url_out) = 0;
  virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IUnknown* data_object,
                                                     IUnknown** replacement) = 0;
};
__CRT_UUID_DECL(IDocHostUIHandlerDispatch,
                0x425b5af0,
                0x65f1,
                0x11d1,
                0x96,
                0x11,
                0x00,
                0x00,
                0xf8,
                0x1e,
                0x0d,
                0x0d)

#endif  // UI_BASE_DOC_HOST_UI_HANDLER_DISPATCH_H_
