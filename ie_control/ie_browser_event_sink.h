#ifndef IE_CONTROL_IE_BROWSER_EVENT_SINK_H_
#define IE_CONTROL_IE_BROWSER_EVENT_SINK_H_

#include <windows.h>

#include <oaidl.h>

#include "ui_base/com_object.h"

// Receives the browser's DWebBrowserEvents2 calls, checks each event's
// arguments and hands the decoded event to its delegate. An event whose
// argument count or types are not exactly the documented ones is dropped.
class IEBrowserEventSink : public ComObject<IDispatch> {
 public:
  // One slot per event, in the events' declared parameter order.
  class Delegate {
   public:
    virtual void OnBeforeNavigate2(IDispatch* frame,
                                   VARIANT* url,
                                   VARIANT* flags,
                                   VARIANT* target_frame_name,
                                   VARIANT* post_data,
                                   VARIANT* headers,
                                   VARIANT_BOOL* cancel) {}
    virtual void OnNavigateError(IDispatch* frame,
                                 VARIANT* url,
                                 VARIANT* target_frame_name,
                                 VARIANT* status_code,
                                 VARIANT_BOOL* cancel) {}
    virtual void OnNavigateComplete2(IDispatch* frame, VARIANT* url) {}
    virtual void OnStatusTextChange(BSTR text) {}
    virtual void OnTitleChange(BSTR title) {}
    virtual void OnPropertyChange(BSTR property) {}
    virtual void OnDownloadBegin() {}
    virtual void OnDownloadComplete() {}
    virtual void OnFileDownload(VARIANT_BOOL active_document, VARIANT_BOOL* cancel) {}
    virtual void OnQuit() {}
    virtual void OnNewWindow2(IDispatch** new_window, VARIANT_BOOL* cancel) {}
    virtual void OnNewWindow3(IDispatch** new_window,
                              VARIANT_BOOL* cancel,
                              DWORD flags,
                              BSTR url_context,
                              BSTR url) {}
    virtual void OnCommandStateChange(long command, VARIANT_BOOL enable) {}
    virtual void OnProgressChange(long progress, long progress_max) {}
    virtual void OnDocumentComplete(IDispatch* frame, VARIANT* url) {}
    virtual void OnVisible(VARIANT_BOOL visible) {}
    virtual void OnToolBar(VARIANT_BOOL tool_bar) {}
    virtual void OnMenuBar(VARIANT_BOOL menu_bar) {}
    virtual void OnStatusBar(VARIANT_BOOL status_bar) {}
    virtual void OnFullScreen(VARIANT_BOOL full_screen) {}
    virtual void OnTheaterMode(VARIANT_BOOL theater_mode) {}
    virtual void OnSetSecureLockIcon(long secure_lock_icon) {}
    virtual void OnPrivacyImpactedStateChange(VARIANT_BOOL impacted) {}
    virtual void OnWindowClosing(VARIANT_BOOL is_child_window, VARIANT_BOOL* cancel) {}
    virtual void OnWindowSetResizable(VARIANT_BOOL resizable) {}
    virtual void OnWindowSetLeft(long left) {}
    virtual void OnWindowSetTop(long top) {}
    virtual void OnWindowSetWidth(long width) {}
    virtual void OnWindowSetHeight(long height) {}
    virtual void OnClientToHostWindow(long* width, long* height) {}

   protected:
    ~Delegate() = default;
  };

  explicit IEBrowserEventSink(Delegate* delegate) : delegate_(delegate) {}

  // Connects to / disconnects from the browser's DWebBrowserEvents2 point.
  [[nodiscard]] bool Advise(IUnknown* browser);
  [[nodiscard]] bool Unadvise(IUnknown* browser);
  // Lets go of the delegate, whether or not Unadvise succeeded: the browser
  // may still hold the sink, and its events from now on reach nobody.
  void Detach() { delegate_ = nullptr; }

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

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  void Dispatch(DISPID id, const DISPPARAMS& params);

  DWORD cookie_ = 0;
  Delegate* delegate_;
};

#endif  // IE_CONTROL_IE_BROWSER_EVENT_SINK_H_
