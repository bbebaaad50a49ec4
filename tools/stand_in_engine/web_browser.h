#ifndef TOOLS_STAND_IN_ENGINE_WEB_BROWSER_H_
#define TOOLS_STAND_IN_ENGINE_WEB_BROWSER_H_

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/stand_in_engine/browser_windows.h"
#include "tools/stand_in_engine/defaults/web_browser2_defaults.h"
#include "tools/stand_in_engine/event_connection_point.h"
#include "tools/stand_in_engine/frame_browser.h"
#include "tools/stand_in_engine/host_site.h"
#include "tools/stand_in_engine/html_document.h"
#include "tools/stand_in_engine/message_window.h"
#include "tools/stand_in_engine/module_lifetime.h"
#include "tools/stand_in_engine/page_loader.h"
#include "tools/stand_in_engine/page_vocabulary.h"
#include "tools/stand_in_engine/travel_log.h"

// The stand-in for the WebBrowser control (CLSID_WebBrowser): hosted like
// the control, driven through IWebBrowser2, reporting through
// DWebBrowserEvents2. README.md has the contract; in short, a navigation is
//   BeforeNavigate2 (may cancel) -> load on a worker thread
//   -> [NavigateError] -> NavigateComplete2 -> TitleChange
//   -> BeforeNavigate2 of each iframe -> load them on a worker thread
//   -> per iframe NavigateComplete2, DocumentComplete -> DocumentComplete
//   -> the page's actions,
// every event on the thread that created the browser. The OLE part is in
// web_browser_ole.cc.
class WebBrowser final : public WebBrowser2Defaults,
                         public IOleObject,
                         public IOleInPlaceObject,
                         public IOleInPlaceActiveObject,
                         public IConnectionPointContainer,
                         public IPersistStreamInit,
                         public DocumentHost {
 public:
  static HRESULT Create(REFIID iid, void** object);
  // Use Create; the object lives on the heap and goes with its last reference.
  WebBrowser() = default;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs_.Release(this); }

  // IWebBrowser2
  HRESULT STDMETHODCALLTYPE GoBack() override;
  HRESULT STDMETHODCALLTYPE GoForward() override;
  HRESULT STDMETHODCALLTYPE Navigate(BSTR url,
                                     VARIANT* flags,
                                     VARIANT* target_frame,
                                     VARIANT* post_data,
                                     VARIANT* headers) override;
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url,
                                      VARIANT* flags,
                                      VARIANT* target_frame,
                                      VARIANT* post_data,
                                      VARIANT* headers) override;
  HRESULT STDMETHODCALLTYPE Refresh() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* busy) override;
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* visible) override;
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL visible) override;
  HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID command, OLECMDF* status) override;
  HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID command,
                                   OLECMDEXECOPT option,
                                   VARIANT* in,
                                   VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* state) override;
  HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL* registered) override;
  HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL registered) override;
  HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* silent) override;
  HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL silent) override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD save_option) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb,
                                   LPMSG message,
                                   IOleClientSite* site,
                                   LONG index,
                                   HWND parent,
                                   LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow (through both in-place interfaces)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;

  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;

  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border,
                                         IOleInPlaceUIWindow* window,
                                         BOOL frame_window) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IPersistStreamInit: the control keeps no state, so loading and saving
  // succeed with nothing to do.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clear_dirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // DocumentHost
  HWND PageWindow() override { return windows_.server(); }
  void OnTitleSet(const std::wstring& title) override;

 private:
  friend class ComRefCount;

  enum class Kind { kNavigate, kRefresh };
  // The navigation under way: its ticket, what it was asked for and what
  // it waits for.
  struct Pending {
    uint64_t ticket = 0;
    Kind kind = Kind::kNavigate;
    int history_step = 0;  // -1, +1 for GoBack, GoForward
    std::wstring url;
    std::vector<size_t> loading_frames;  // indexes of frames being loaded
  };
  // The document on show.
  struct Page {
    Microsoft::WRL::ComPtr<HtmlDocument> document;
    std::wstring url;
    std::vector<Microsoft::WRL::ComPtr<FrameBrowser>> frames;
    std::vector<PageAction> actions;
    bool prompt = false;  // armed by the page's prompt marker
  };

  ~WebBrowser();
  [[nodiscard]] bool Initialize();

  IDispatch* top() { return static_cast<IWebBrowser2*>(this); }
  bool IsCurrent(uint64_t ticket) const { return ticket == ticket_; }

  HRESULT StartNavigation(std::wstring url, Kind kind, int history_step);
  void OnMessage(UINT message);
  void OnTopLoaded(const LoadedPage& loaded);
  void ShowDocument(const LoadedPage& loaded, uint64_t ticket);
  void OnFramesLoaded(const std::vector<LoadedPage>& loaded);
  void CompleteDocument(uint64_t ticket);
  void EndWithError(const std::wstring& url, HRESULT error);
  void RunActions();
  // Shows the page's armed prompt; true when it stopped the caller.
  bool PromptStops();

  HRESULT Activate(bool ui_activate, HWND parent, LPCRECT position);

  ComRefCount refs_;
  EventConnectionPoint events_{this};
  HostSite site_;
  Microsoft::WRL::ComPtr<IOleInPlaceSite> in_place_site_;  // while active in place
  bool ui_active_ = false;
  BrowserWindows windows_;
  MessageWindow messages_;
  std::shared_ptr<LoadMailbox> mailbox_;

  SIZEL extent_ = {};
  bool visible_ = true;
  bool silent_ = false;
  bool drop_target_ = true;

  // Bumped by every navigation and by Stop: work for an older ticket is
  // dropped when it arrives.
  uint64_t ticket_ = 0;
  std::optional<Pending> pending_;
  std::optional<Page> page_;
  uint64_t actions_ticket_ = 0;  // the navigation whose page actions are due
  READYSTATE ready_state_ = READYSTATE_UNINITIALIZED;
  TravelLog travel_log_;
};

#endif  // TOOLS_STAND_IN_ENGINE_WEB_BROWSER_H_
