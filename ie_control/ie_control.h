#ifndef IE_CONTROL_IE_CONTROL_H_
#define IE_CONTROL_IE_CONTROL_H_

#include <windows.h>

#include <exdisp.h>
#include <mshtml.h>

#include <string>

#include "ie_control/ie_ax.h"
#include "ie_control/ie_browser_event_sink.h"
#include "ie_control/ie_control_notify.h"
#include "ie_control/wnd_proc_hook.h"
#include "ui_base/task_queue.h"
#include "ui_base/window_impl.h"
#include "utils/com_ptr.h"

// Wakes the control's own window for its queue of navigations.
inline constexpr UINT WM_IECONTROL_NAVIGATE = 3037;

// The child window that shows one page in the WebBrowser control: it creates
// the control through IEAx, listens to its events and reports them to
// `notify`. The owner calls Close before the window goes and keeps the
// object until the window is destroyed.
class CIEControl : public WindowImpl, public IEBrowserEventSink::Delegate, public CWndProcHook {
 public:
  // `external` becomes the page's window.external when the client site has
  // none to give. The optional page names are resources of this program,
  // shown as "res://<module>/<name>" and never reported.
  CIEControl(IDispatch* external,
             IIEControlNotify* notify,
             const wchar_t* start_page_name = nullptr,
             const wchar_t* error_page_name = nullptr);
  ~CIEControl() override;

  // "TabBridge_IEWND"; Create registers it too.
  [[nodiscard]] static bool RegisterHostWindowClass();

  // The window, or null when it could not be created. The control, its
  // events and the exception guard of the window procedure are set up as far
  // as they go.
  HWND Create(HWND parent, const RECT& rect, int control_id, bool visible);
  // Queued: the navigation runs when the window's message comes round.
  void Navigate(const wchar_t* url, bool with_start_page);
  void GoBack();
  void GoForward();
  void Refresh();
  bool FocusWebBrowser();
  // True only for a non-empty title.
  bool GetTitle(std::wstring* title);
  bool GetBrowser(com_ptr<IWebBrowser2>* browser);
  HWND GetHostWindow() const;
  void Close();
  // Gives the engine its keyboard and mouse accelerators; true when taken.
  virtual bool PreTranslateMessage(MSG* msg);

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  TB_MESSAGE_HANDLER(WM_IECONTROL_NAVIGATE, OnNavigate)
  TB_END_MSG_MAP()

 private:
  // IEBrowserEventSink::Delegate
  void OnBeforeNavigate2(IDispatch* frame,
                         VARIANT* url,
                         VARIANT* flags,
                         VARIANT* target_frame_name,
                         VARIANT* post_data,
                         VARIANT* headers,
                         VARIANT_BOOL* cancel) override;
  void OnNavigateError(IDispatch* frame,
                       VARIANT* url,
                       VARIANT* target_frame_name,
                       VARIANT* status_code,
                       VARIANT_BOOL* cancel) override;
  void OnNavigateComplete2(IDispatch* frame, VARIANT* url) override;
  void OnTitleChange(BSTR title) override;
  void OnNewWindow3(IDispatch** new_window,
                    VARIANT_BOOL* cancel,
                    DWORD flags,
                    BSTR url_context,
                    BSTR url) override;
  void OnDocumentComplete(IDispatch* frame, VARIANT* url) override;

  LRESULT OnEraseBackground(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnNavigate(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  void PostNavigate(const std::wstring& url);
  void NavigateNow(const std::wstring& url);
  void LetGoOfEventSink(IUnknown* browser);
  int ControlId() const;
  bool IsTopLevelBrowser(IDispatch* frame);
  // The start or the error page, which are not reported.
  bool IsOwnPage(const wchar_t* url) const;
  bool GetDocument2(com_ptr<IHTMLDocument2>* document);
  bool FocusDocument();
  bool FocusHtmlWindow();

  com_ptr<IDispatch> external_;
  IIEControlNotify* notify_;
  std::wstring start_page_;
  std::wstring error_page_;
  com_ptr<IEAx> host_;
  com_ptr<IEBrowserEventSink> event_sink_;
  TaskQueue navigations_{WM_IECONTROL_NAVIGATE};
};

#endif  // IE_CONTROL_IE_CONTROL_H_
