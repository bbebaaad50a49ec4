#include "tools/stand_in_engine/web_browser.h"

#include <mshtmhst.h>
#include <olectl.h>

#include "tools/stand_in_engine/host_site.h"
#include "tools/stand_in_engine/journal.h"
#include "utils/ole_owners.h"
#include "utils/string_util.h"

namespace {

constexpr UINT kLoadDoneMessage = WM_APP + 1;
constexpr UINT kRunActionsMessage = WM_APP + 2;

class FrameBrowser final : public ComObject<WebBrowser2Stubs> {
 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(
        iid, {Offer<IWebBrowser2>(this), Offer<IDispatch, IWebBrowser2>(this),
              Offer<IWebBrowser, IWebBrowser2>(this), Offer<IWebBrowserApp, IWebBrowser2>(this)});
  }
};

com_ptr<IDispatch> MakeFrameBrowser() {
  const com_ptr<FrameBrowser> frame = MakeComObject<FrameBrowser>();
  return com_ptr<IDispatch>(static_cast<IWebBrowser2*>(frame.get()));
}

}  // namespace

HRESULT WebBrowser::Create(REFIID iid, void** object) {
  const com_ptr<WebBrowser> browser = MakeComObject<WebBrowser>();
  WebBrowser* self = browser.get();
  if (!browser->messages_.Create([self](UINT message) { self->OnMessage(message); }))
    return E_OUTOFMEMORY;
  browser->mailbox_ = std::make_shared<LoadMailbox>(browser->messages_.hwnd(), kLoadDoneMessage);
  return browser->QueryInterface(iid, object);
}

WebBrowser::~WebBrowser() {
  if (mailbox_)
    mailbox_->Close();
  if (page_)
    page_->document->Detach();
  events_.Clear();
}

void* WebBrowser::FindInterface(REFIID iid) {
  return FindInterfaceIn(
      iid, {Offer<IWebBrowser2>(this), Offer<IDispatch, IWebBrowser2>(this),
            Offer<IWebBrowser, IWebBrowser2>(this), Offer<IWebBrowserApp, IWebBrowser2>(this),
            Offer<IOleObject>(this), Offer<IOleWindow, IOleInPlaceObject>(this),
            Offer<IOleInPlaceObject>(this), Offer<IOleInPlaceActiveObject>(this),
            Offer<IConnectionPointContainer>(this), Offer<IPersist, IPersistStreamInit>(this),
            Offer<IPersistStreamInit>(this)});
}

std::optional<std::wstring> WebBrowser::HistoryEntry(int step) const {
  const int index = history_index_ + step;
  if (index < 0 || index >= static_cast<int>(history_.size()))
    return std::nullopt;
  return history_[index];
}

STDMETHODIMP WebBrowser::GoBack() {
  const std::optional<std::wstring> url = HistoryEntry(-1);
  return url ? StartNavigation(*url, Kind::kNavigate, -1) : E_FAIL;
}

STDMETHODIMP WebBrowser::GoForward() {
  const std::optional<std::wstring> url = HistoryEntry(1);
  return url ? StartNavigation(*url, Kind::kNavigate, 1) : E_FAIL;
}

STDMETHODIMP WebBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
  if (::SysStringLen(url) == 0)
    return E_INVALIDARG;
  if (PromptStops())
    return E_ABORT;
  return StartNavigation(std::wstring(url, ::SysStringLen(url)), Kind::kNavigate, 0);
}

STDMETHODIMP WebBrowser::Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
  if (url && url->vt == (VT_BYREF | VT_VARIANT))
    url = url->pvarVal;
  if (!url || url->vt != VT_BSTR)
    return E_INVALIDARG;
  return Navigate(url->bstrVal, nullptr, nullptr, nullptr, nullptr);
}

STDMETHODIMP WebBrowser::Refresh() {
  return page_ ? StartNavigation(page_->url, Kind::kRefresh, 0) : E_FAIL;
}

STDMETHODIMP WebBrowser::Stop() {
  ++ticket_;
  pending_.reset();
  return S_OK;
}

STDMETHODIMP WebBrowser::get_Document(IDispatch** document) {
  if (!document)
    return E_POINTER;
  *document = page_ ? static_cast<IHTMLDocument2*>(com_ptr(page_->document).release()) : nullptr;
  return S_OK;
}

STDMETHODIMP WebBrowser::get_LocationURL(BSTR* url) {
  if (!url)
    return E_POINTER;
  *url = MakeBstr(page_ ? page_->url.c_str() : L"").release();
  return S_OK;
}

STDMETHODIMP WebBrowser::put_Visible(VARIANT_BOOL visible) {
  visible_ = visible != VARIANT_FALSE;
  if (windows_.exists())
    windows_.SetVisible(visible_);
  return S_OK;
}

STDMETHODIMP WebBrowser::ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT*, VARIANT*) {
  if (command != OLECMDID_PRINT && command != OLECMDID_PRINTPREVIEW)
    return OLECMDERR_E_NOTSUPPORTED;
  if (!page_)
    return OLECMDERR_E_DISABLED;
  if (PromptStops())
    return E_ABORT;
  // Nothing to print on: the journal tells the test what was asked.
  Journal(command == OLECMDID_PRINT ? L"print" : L"print_preview",
          {{L"url", page_->url}, {L"option", std::to_wstring(option)}});
  return S_OK;
}

STDMETHODIMP WebBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point)
    return E_POINTER;
  *point = nullptr;
  if (iid != DIID_DWebBrowserEvents2)
    return CONNECT_E_NOCONNECTION;
  return MakeEventsConnectionPoint(this, &events_, point);
}

HRESULT WebBrowser::StartNavigation(const std::wstring& url, Kind kind, int history_step) {
  const com_ptr<WebBrowser> keep_alive(this);
  const uint64_t ticket = ++ticket_;
  pending_.reset();
  if (kind == Kind::kNavigate && (events_.BeforeNavigate2(top(), url, L"") || !IsCurrent(ticket)))
    return S_OK;
  pending_ = Pending{ticket, kind, history_step};
  if (!StartLoad(mailbox_, ticket, {url}))
    EndWithError(url, E_OUTOFMEMORY);
  return S_OK;
}

void WebBrowser::OnMessage(UINT message) {
  const com_ptr<WebBrowser> keep_alive(this);
  if (message == kRunActionsMessage)
    RunActions();
  if (message != kLoadDoneMessage)
    return;
  for (const LoadBatch& batch : mailbox_->TakeAll()) {
    if (!pending_ || !IsCurrent(batch.ticket)) {
      // Stopped or replaced meanwhile: the engine drops what it loaded.
      Journal(L"stale_load", {{L"url", batch.pages.front().url}});
    } else if (pending_->loading_frames.empty()) {
      OnTopLoaded(batch.pages.front());
    } else {
      OnFramesLoaded(batch.pages);
    }
  }
}

void WebBrowser::EndWithError(const std::wstring& url, HRESULT error) {
  pending_.reset();
  Journal(L"navigate_error", {{L"url", url}, {L"status", HexCode(error)}});
  // Nothing is left for a cancel to stop.
  events_.NavigateError(top(), url, L"", error);
}

void WebBrowser::OnTopLoaded(const LoadedPage& loaded) {
  const uint64_t ticket = ticket_;
  if (FAILED(loaded.error))
    return EndWithError(loaded.url, loaded.error);
  if (loaded.http_status >= 400) {
    Journal(L"navigate_error",
            {{L"url", loaded.url}, {L"status", std::to_wstring(loaded.http_status)}});
    const bool cancel =
        events_.NavigateError(top(), loaded.url, L"", static_cast<LONG>(loaded.http_status));
    if (!IsCurrent(ticket))
      return;
    if (cancel)
      return pending_.reset();
  }
  ShowDocument(loaded, ticket);
}

void WebBrowser::ShowDocument(const LoadedPage& loaded, uint64_t ticket) {
  const com_ptr<IDocHostUIHandler> handler = SiteAs<IDocHostUIHandler>(site_);
  DOCHOSTUIINFO info = {sizeof(info)};
  const bool has_info = handler && SUCCEEDED(handler->GetHostInfo(&info));
  // The host allocates these for us to free.
  const unique_cotaskmem<OLECHAR> css(info.pchHostCss), ns(info.pchHostNS);
  Journal(L"host_info",
          {{L"flags", has_info ? HexCode(info.dwFlags) : L"none"},
           {L"double_click", has_info ? std::to_wstring(info.dwDoubleClick) : L"none"}});
  if (!IsCurrent(ticket))
    return;

  ParsedPage parsed = ParsePage(Utf8ToWide(loaded.body));
  for (const std::wstring& marker : parsed.ignored_markers)
    Journal(L"ignored_marker", {{L"url", loaded.url}, {L"text", marker}});
  if (page_)
    page_->document->Detach();
  page_.emplace();
  page_->url = loaded.url;
  page_->title = parsed.title.value_or(L"").empty() ? loaded.url : *parsed.title;
  page_->document =
      MakeComObject<HtmlDocument>(parsed.title.value_or(L""), [this] { return windows_.server(); });
  for (const FrameReference& frame : parsed.frames) {
    page_->frames.push_back({MakeFrameBrowser(), ResolveUrl(loaded.url, frame.src), frame.name});
  }
  page_->actions = std::move(parsed.actions);
  for (const PageAction& action : page_->actions)
    page_->prompt = page_->prompt || action.verb == PageAction::kPrompt;
  const Pending pending = *pending_;
  if (pending.kind == Kind::kNavigate && pending.history_step != 0 &&
      HistoryEntry(pending.history_step)) {
    history_index_ += pending.history_step;
    history_[history_index_] = loaded.url;
  } else if (pending.kind == Kind::kNavigate) {
    // A new entry drops the ones ahead.
    history_.resize(history_index_ + 1);
    history_.push_back(loaded.url);
    ++history_index_;
  }
  windows_.SetCaption(page_->title);
  Journal(L"document", {{L"url", loaded.url}, {L"title", parsed.title.value_or(L"")}});

  const std::wstring title = page_->title;
  if (pending.kind == Kind::kNavigate) {
    events_.NavigateComplete2(top(), loaded.url);
    if (!IsCurrent(ticket))
      return;
  }
  events_.TitleChange(title);
  if (!IsCurrent(ticket))
    return;
  if (pending.kind == Kind::kRefresh)
    return CompleteDocument(ticket);

  const std::vector<Frame> frames = page_->frames;
  std::vector<std::wstring> urls;
  for (size_t i = 0; i < frames.size(); ++i) {
    const bool cancel =
        events_.BeforeNavigate2(frames[i].browser.get(), frames[i].url, frames[i].name);
    if (!IsCurrent(ticket))
      return;
    if (!cancel) {
      urls.push_back(frames[i].url);
      pending_->loading_frames.push_back(i);
    }
  }
  if (urls.empty() || !StartLoad(mailbox_, ticket, std::move(urls)))
    CompleteDocument(ticket);
}

void WebBrowser::OnFramesLoaded(const std::vector<LoadedPage>& loaded) {
  const uint64_t ticket = ticket_;
  const std::vector<size_t> indexes = pending_->loading_frames;
  const std::vector<Frame> frames = page_->frames;
  for (size_t i = 0; i < indexes.size() && i < loaded.size(); ++i) {
    const LoadedPage& page = loaded[i];
    const Frame& frame = frames[indexes[i]];
    if (FAILED(page.error) || page.http_status >= 400) {
      const LONG status = FAILED(page.error) ? page.error : static_cast<LONG>(page.http_status);
      const bool cancel = events_.NavigateError(frame.browser.get(), page.url, frame.name, status);
      if (!IsCurrent(ticket))
        return;
      if (FAILED(page.error) || cancel)
        continue;
    }
    events_.NavigateComplete2(frame.browser.get(), page.url);
    if (!IsCurrent(ticket))
      return;
    events_.DocumentComplete(frame.browser.get(), page.url);
    if (!IsCurrent(ticket))
      return;
  }
  CompleteDocument(ticket);
}

void WebBrowser::CompleteDocument(uint64_t ticket) {
  const Kind kind = pending_->kind;
  pending_.reset();
  // The engine raises no DocumentComplete for a refresh.
  if (kind == Kind::kNavigate) {
    const std::wstring url = page_->url;
    events_.DocumentComplete(top(), url);
    if (!IsCurrent(ticket))
      return;
  }
  if (!page_->actions.empty()) {
    actions_ticket_ = ticket;
    messages_.Post(kRunActionsMessage);
  }
}

bool WebBrowser::PromptStops() {
  if (!page_ || !page_->prompt)
    return false;
  page_->prompt = false;
  const com_ptr<WebBrowser> keep_alive(this);
  Journal(L"prompt", {{L"url", page_->url}});
  // The engine's dialog: a modal loop that ends, with the page staying, when
  // its windows are gone or at WM_QUIT, which goes on to the loop outside.
  MSG msg;
  while (windows_.exists()) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0)
      ::PostQuitMessage(static_cast<int>(msg.wParam));
    if (got <= 0)
      break;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}
