#ifndef UI_BASE_AX_HOST_WINDOW_H_
#define UI_BASE_AX_HOST_WINDOW_H_

#include <windows.h>

#include <mshtmhst.h>
#include <ocidl.h>
#include <ole2.h>
#include <servprov.h>

#include "ui_base/ax_in_place_frame.h"
#include "ui_base/com_object.h"
#include "ui_base/doc_host_ui_handler_dispatch.h"
#include "ui_base/window_impl.h"
#include "utils/com_ptr.h"

// Hands a message to the hosted control's accelerator translation; lParam
// points to the MSG, the result is 1 when the control took it.
inline constexpr UINT WM_FORWARDMSG = 0x037F;

// Hosts one ActiveX control in a child window: creates it by CLSID, takes
// over the window's messages in front of its own procedure, activates the
// control in place and answers its questions about its site. What the site
// lets the engine do with its user interface is asked of the external UI
// handler; without one the engine keeps its defaults.
//
// Windowed controls only: windowless activation is refused.
//
// The window holds a reference on the host from CreateControl until the
// window is gone (OnFinalMessage); the control is let go at WM_DESTROY.
class AxHostWindow : public ComObject<IOleClientSite,
                                      IOleInPlaceSiteWindowless,
                                      IOleControlSite,
                                      IOleContainer,
                                      IObjectWithSite,
                                      IServiceProvider,
                                      IDocHostUIHandler,
                                      IAdviseSink>,
                     public WindowImpl {
 public:
  // `clsid` in registry form, "{8856F961-340A-11D0-A96B-00C04FD705A2}".
  [[nodiscard]] HRESULT CreateControl(const wchar_t* clsid, HWND hwnd);
  [[nodiscard]] HRESULT QueryControl(REFIID iid, void** out);
  template <typename Q>
  [[nodiscard]] HRESULT QueryControl(com_ptr<Q>* out) {
    return QueryControl(__uuidof(Q), out->put_void());
  }
  // The page's window.external when the UI handler offers none.
  void SetExternalDispatch(IDispatch* dispatch);
  void SetExternalUIHandler(IDocHostUIHandlerDispatch* handler);
  // Painted where no control is.
  void SetBackgroundColor(COLORREF color) { background_ = color; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter_mode) override;
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame,
                                IOleInPlaceUIWindow** document,
                                LPRECT position,
                                LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frame_info) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;
  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* no_redraw, DWORD flags) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL no_redraw) override;
  STDMETHODIMP RequestUIActivate() override;
  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override;
  STDMETHODIMP GetCapture() override;
  STDMETHODIMP SetCapture(BOOL capture) override;
  STDMETHODIMP GetFocus() override;
  STDMETHODIMP SetFocus(BOOL focus) override;
  STDMETHODIMP GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
  STDMETHODIMP ReleaseDC(HDC dc) override;
  STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL erase) override;
  STDMETHODIMP InvalidateRgn(HRGN region, BOOL erase) override;
  STDMETHODIMP ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
  STDMETHODIMP AdjustRect(LPRECT rect) override;
  STDMETHODIMP OnDefWindowMessage(UINT message,
                                  WPARAM wparam,
                                  LPARAM lparam,
                                  LRESULT* result) override;
  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL lock) override;
  STDMETHODIMP GetExtendedControl(IDispatch** control) override;
  STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override;
  STDMETHODIMP OnFocus(BOOL got_focus) override;
  STDMETHODIMP ShowPropertyFrame() override;
  // IParseDisplayName, IOleContainer
  STDMETHODIMP ParseDisplayName(IBindCtx* context,
                                LPOLESTR name,
                                ULONG* eaten,
                                IMoniker** moniker) override;
  STDMETHODIMP EnumObjects(DWORD flags, IEnumUnknown** objects) override;
  STDMETHODIMP LockContainer(BOOL lock) override;
  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID iid, void** site) override;
  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD id,
                               POINT* point,
                               IUnknown* command_target,
                               IDispatch* object_hit) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id,
                      IOleInPlaceActiveObject* active_object,
                      IOleCommandTarget* command_target,
                      IOleInPlaceFrame* frame,
                      IOleInPlaceUIWindow* document) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border,
                            IOleInPlaceUIWindow* ui_window,
                            BOOL frame_window) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg,
                                    const GUID* command_group,
                                    DWORD command_id) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* drop_target, IDropTarget** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url_in, LPWSTR* url_out) override;
  STDMETHODIMP FilterDataObject(IDataObject* data_object, IDataObject** replacement) override;
  // IAdviseSink
  STDMETHODIMP_(void) OnDataChange(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP_(void) OnViewChange(DWORD aspect, LONG index) override;
  STDMETHODIMP_(void) OnRename(IMoniker* moniker) override;
  STDMETHODIMP_(void) OnSave() override;
  STDMETHODIMP_(void) OnClose() override;

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  TB_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  TB_MESSAGE_HANDLER(WM_SIZE, OnSize)
  TB_MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
  TB_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  TB_MESSAGE_HANDLER(WM_FORWARDMSG, OnForwardMessage)
  TB_END_MSG_MAP()

 protected:
  AxHostWindow() = default;
  ~AxHostWindow() override = default;

  void* FindInterface(REFIID iid) override;
  void OnFinalMessage(HWND hwnd) override;

 private:
  LRESULT OnPaint(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnSize(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnSetFocus(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnForwardMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  [[nodiscard]] HRESULT ActivateControl();
  void ReleaseControl();
  RECT ClientRect() const;

  com_ptr<IUnknown> control_;
  com_ptr<IOleObject> ole_object_;
  com_ptr<IViewObject> view_object_;
  com_ptr<IOleInPlaceObject> in_place_object_;
  com_ptr<AxInPlaceFrame> in_place_frame_;
  com_ptr<IDispatch> external_dispatch_;
  com_ptr<IDocHostUIHandlerDispatch> external_ui_handler_;
  com_ptr<IUnknown> site_;
  COLORREF background_ = ::GetSysColor(COLOR_WINDOW);
  bool ui_active_ = false;
};

#endif  // UI_BASE_AX_HOST_WINDOW_H_
