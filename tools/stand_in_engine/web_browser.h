#ifndef TOOLS_STAND_IN_ENGINE_WEB_BROWSER_H_
#define TOOLS_STAND_IN_ENGINE_WEB_BROWSER_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/stand_in_engine/browser_events.h"
#include "tools/stand_in_engine/browser_windows.h"
#include "tools/stand_in_engine/com_stubs.h"
#include "tools/stand_in_engine/html_document.h"
#include "tools/stand_in_engine/page_loader.h"
#include "tools/stand_in_engine/page_vocabulary.h"
#include "ui_base/com_object.h"

// The stand-in for the WebBrowser control (CLSID_WebBrowser): hosted like
// the control, driven through IWebBrowser2, reporting through
// DWebBrowserEvents2. README.md has the contract; in short, a navigation is
//   BeforeNavigate2 (may cancel) -> load on a worker thread
//   -> [NavigateError] -> NavigateComplete2 -> TitleChange
//   -> BeforeNavigate2 of each iframe -> load them on a worker thread
//   -> per iframe NavigateComplete2, DocumentComplete -> DocumentComplete
//   -> the page's actions,
// every event on the thread that created the browser. The OLE part is in
// web_browser_ole.cc, the page's actions in page_actions.cc.
class WebBrowser final : public ComObject<WebBrowser2Stubs, OleControlStubs> {
 public:
  static HRESULT Create(REFIID iid, void** object);
  WebBrowser() = default;

  // IWebBrowser2
  STDMETHODIMP GoBack() override;
  STDMETHODIMP GoForward() override;
  STDMETHODIMP Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override;
  STDMETHODIMP Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override;
  STDMETHODIMP Refresh() override;
  STDMETHODIMP Stop() override;
  STDMETHODIMP get_Document(IDispatch** document) override;
  STDMETHODIMP get_LocationURL(BSTR* url) override;
  STDMETHODIMP put_Visible(VARIANT_BOOL visible) override;
  STDMETHODIMP ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT*, VARIANT*) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP Close(DWORD save_option) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  // IConnectionPointContainer
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
  // IPersistStreamInit: the control keeps no state.
  STDMETHODIMP InitNew() override { return S_OK; }

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  enum class Kind { kNavigate, kRefresh };
  // The navigation under way.
  struct Pending {
    uint64_t ticket = 0;
    Kind kind = Kind::kNavigate;
    int history_step = 0;                // -1, +1 for GoBack, GoForward
    std::vector<size_t> loading_frames;  // indexes of frames being loaded
  };
  // One iframe of the page: its own IWebBrowser2 in the events' frame
  // argument, distinct from the top browser's.
  struct Frame {
    com_ptr<IDispatch> browser;
    std::wstring url;
    std::wstring name;
  };
  // The document on show.
  struct Page {
    com_ptr<HtmlDocument> document;
    std::wstring url;
    std::wstring title;
    std::vector<Frame> frames;
    std::vector<PageAction> actions;
    bool prompt = false;  // armed by the page's prompt marker
  };

  ~WebBrowser() override;

  IDispatch* top() { return static_cast<IWebBrowser2*>(this); }
  bool IsCurrent(uint64_t ticket) const { return ticket == ticket_; }
  // The history entry `step` away from the current one; nothing past either end.
  std::optional<std::wstring> HistoryEntry(int step) const;

  HRESULT StartNavigation(const std::wstring& url, Kind kind, int history_step);
  void OnMessage(UINT message);
  void OnTopLoaded(const LoadedPage& loaded);
  void ShowDocument(const LoadedPage& loaded, uint64_t ticket);
  void OnFramesLoaded(const std::vector<LoadedPage>& loaded);
  void CompleteDocument(uint64_t ticket);
  void EndWithError(const std::wstring& url, HRESULT error);
  // Shows the page's armed prompt; true when it stopped the caller.
  bool PromptStops();
  HRESULT Activate(bool ui_activate, HWND parent, LPCRECT position);

  // page_actions.cc: each returns whether the page's scripts go on.
  void RunActions();
  bool OpenWindow(const PageAction& open, const Page& page, uint64_t ticket);
  bool CloseWindow(uint64_t ticket);
  bool ReportScriptError(const PageAction& error, const Page& page, uint64_t ticket);

  EventSinks events_;
  com_ptr<IOleClientSite> site_;
  com_ptr<IOleInPlaceSite> in_place_site_;  // while active in place
  bool ui_active_ = false;
  bool visible_ = true;
  BrowserWindows windows_;
  MessageWindow messages_;
  std::shared_ptr<LoadMailbox> mailbox_;

  // Bumped by every navigation and by Stop: work for an older ticket is
  // dropped when it arrives.
  uint64_t ticket_ = 0;
  std::optional<Pending> pending_;
  std::optional<Page> page_;
  uint64_t actions_ticket_ = 0;  // the navigation whose page actions are due
  // The top document's history: entries enter when their document arrives.
  std::vector<std::wstring> history_;
  int history_index_ = -1;  // of the current entry
};

#endif  // TOOLS_STAND_IN_ENGINE_WEB_BROWSER_H_
