#ifndef IE_CONTROL_IE_OLE_CLIENT_SITE_H_
#define IE_CONTROL_IE_OLE_CLIENT_SITE_H_

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>

#include "ie_control/ie_control_notify.h"
#include "ui_base/com_object.h"
#include "ui_base/doc_host_ui_handler_dispatch.h"

// Decides how the hosted engine's user interface behaves: host flags,
// context menu, script errors, script closes, message boxes and
// window.external. The control host asks it as its external UI handler and
// passes the engine's command-target and show-UI questions to it.
class IEOleClientSite
    : public ComObject<IOleCommandTarget, IDocHostUIHandlerDispatch, IDocHostShowUI> {
 public:
  IEOleClientSite() = default;

  void SetNotify(IIEControlNotify* notify) { notify_ = notify; }

  // IOleCommandTarget
  STDMETHODIMP QueryStatus(const GUID* group,
                           ULONG count,
                           OLECMD* commands,
                           OLECMDTEXT* text) override;
  STDMETHODIMP Exec(const GUID* group,
                    DWORD command_id,
                    DWORD options,
                    VARIANT* in,
                    VARIANT* out) override;
  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** type_info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid,
                             LPOLESTR* names,
                             UINT count,
                             LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id,
                      REFIID iid,
                      LCID locale,
                      WORD flags,
                      DISPPARAMS* params,
                      VARIANT* result,
                      EXCEPINFO* exception,
                      UINT* arg_error) override;
  // IDocHostUIHandlerDispatch
  STDMETHODIMP ShowContextMenu(DWORD id,
                               DWORD x,
                               DWORD y,
                               IUnknown* command_target,
                               IDispatch* object_hit,
                               HRESULT* result) override;
  STDMETHODIMP GetHostInfo(DWORD* flags, DWORD* double_click) override;
  STDMETHODIMP ShowUI(DWORD id,
                      IUnknown* active_object,
                      IUnknown* command_target,
                      IUnknown* frame,
                      IUnknown* document,
                      HRESULT* result) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(VARIANT_BOOL enable) override;
  STDMETHODIMP OnDocWindowActivate(VARIANT_BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(VARIANT_BOOL activate) override;
  STDMETHODIMP ResizeBorder(long left,
                            long top,
                            long right,
                            long bottom,
                            IUnknown* ui_window,
                            VARIANT_BOOL frame_window) override;
  STDMETHODIMP TranslateAccelerator(DWORD_PTR hwnd,
                                    DWORD message,
                                    DWORD_PTR wparam,
                                    DWORD_PTR lparam,
                                    BSTR command_group,
                                    DWORD command_id,
                                    HRESULT* result) override;
  STDMETHODIMP GetOptionKeyPath(BSTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IUnknown* drop_target, IUnknown** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, BSTR url_in, BSTR* url_out) override;
  STDMETHODIMP FilterDataObject(IUnknown* data_object, IUnknown** replacement) override;
  // IDocHostShowUI
  STDMETHODIMP ShowMessage(HWND hwnd,
                           LPOLESTR text,
                           LPOLESTR caption,
                           DWORD type,
                           LPOLESTR help_file,
                           DWORD help_context,
                           LRESULT* result) override;
  STDMETHODIMP ShowHelp(HWND hwnd,
                        LPOLESTR help_file,
                        UINT command,
                        DWORD data,
                        POINT mouse,
                        IDispatch* object_hit) override;

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  IIEControlNotify* notify_ = nullptr;
};

#endif  // IE_CONTROL_IE_OLE_CLIENT_SITE_H_
