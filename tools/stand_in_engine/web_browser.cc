#include "tools/stand_in_engine/web_browser.h"

#include <exdisp.h>
#include <olectl.h>

#include "tools/stand_in_engine/browser_events.h"
#include "tools/stand_in_engine/document_mode.h"
#include "tools/stand_in_engine/emulation_setting.h"
#include "tools/stand_in_engine/journal.h"
#include "tools/stand_in_engine/page_actions.h"
#include "tools/stand_in_engine/resolve_url.h"
#include "tools/stand_in_engine/scoped_com.h"
#include "utils/string_util.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT kLoadDoneMessage = WM_APP + 1;
constexpr UINT kRunActionsMessage = WM_APP + 2;

HRESULT CopyString(const std::wstring& text, BSTR* out) {
  if (!out)
    return E_POINTER;
  *out = MakeBstr(text).release();
  return *out ? S_OK : E_OUTOFMEMORY;
}

VARIANT_BOOL ToVariantBool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

HRESULT WebBrowser::Create(REFIID iid, void** object) {
  const ComPtr<WebBrowser> browser = NewComObject<WebBrowser>();
  if (!browser->Initialize())
    return E_OUTOFMEMORY;
  return browser->QueryInterface(iid, object);
}

bool WebBrowser::Initialize() {
  if (!messages_.Create([this](UINT message) { OnMessage(message); }))
    return false;
  mailbox_ = std::make_shared<LoadMailbox>(messages_.hwnd(), kLoadDoneMessage);
  return true;
}

WebBrowser::~WebBrowser() {
  if (mailbox_)
    mailbox_->Close();
  if (page_)
    page_->document->Detach();
  events_.Clear();
}

HRESULT WebBrowser::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser ||
      iid == IID_IWebBrowserApp || iid == IID_IWebBrowser2) {
    *object = static_cast<IWebBrowser2*>(this);
  } else if (iid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
    *object = static_cast<IOleInPlaceObject*>(this);
  } else if (iid == IID_IOleInPlaceActiveObject) {
    *object = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (iid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT WebBrowser::GoBack() {
  const std::optional<std::wstring> url = travel_log_.Peek(-1);
  return url ? StartNavigation(*url, Kind::kNavigate, -1) : E_FAIL;
}

HRESULT WebBrowser::GoForward() {
  const std::optional<std::wstring> url = travel_log_.Peek(1);
  return url ? StartNavigation(*url, Kind::kNavigate, 1) : E_FAIL;
}

HRESULT WebBrowser::Navigate(BSTR url,
                             VARIANT* flags,
                             VARIANT* target_frame,
                             VARIANT* post_data,
                             VARIANT* headers) {
  if (!url || ::SysStringLen(url) == 0)
    return E_INVALIDARG;
  if (PromptStops())
    return E_ABORT;
  return StartNavigation(std::wstring(url, ::SysStringLen(url)), Kind::kNavigate, 0);
}

HRESULT WebBrowser::Navigate2(VARIANT* url,
                              VARIANT* flags,
                              VARIANT* target_frame,
                              VARIANT* post_data,
                              VARIANT* headers) {
  if (url && url->vt == (VT_BYREF | VT_VARIANT))
    url = url->pvarVal;
  if (!url || url->vt != VT_BSTR)
    return E_INVALIDARG;
  return Navigate(url->bstrVal, flags, target_frame, post_data, headers);
}

HRESULT WebBrowser::Refresh() {
  return page_ ? StartNavigation(page_->url, Kind::kRefresh, 0) : E_FAIL;
}

HRESULT WebBrowser::Stop() {
  ++ticket_;
  pending_.reset();
  ready_state_ = page_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
  return S_OK;
}

HRESULT WebBrowser::get_Document(IDispatch** document) {
  if (!document)
    return E_POINTER;
  *document = nullptr;
  if (page_)
    page_->document->QueryInterface(IID_PPV_ARGS(document));
  return S_OK;
}

HRESULT WebBrowser::get_LocationName(BSTR* name) {
  if (!page_)
    return CopyString(L"", name);
  const std::wstring& title = page_->document->title();
  return CopyString(title.empty() ? page_->url : title, name);
}

HRESULT WebBrowser::get_LocationURL(BSTR* url) {
  return CopyString(page_ ? page_->url : L"", url);
}

HRESULT WebBrowser::get_Busy(VARIANT_BOOL* busy) {
  if (!busy)
    return E_POINTER;
  *busy = ToVariantBool(pending_.has_value());
  return S_OK;
}

HRESULT WebBrowser::get_Visible(VARIANT_BOOL* visible) {
  if (!visible)
    return E_POINTER;
  *visible = ToVariantBool(visible_);
  return S_OK;
}

HRESULT WebBrowser::put_Visible(VARIANT_BOOL visible) {
  visible_ = visible != VARIANT_FALSE;
  if (windows_.exists())
    windows_.SetVisible(visible_);
  return S_OK;
}

HRESULT WebBrowser::QueryStatusWB(OLECMDID command, OLECMDF* status) {
  if (!status)
    return E_POINTER;
  if (command != OLECMDID_PRINT && command != OLECMDID_PRINTPREVIEW) {
    *status = static_cast<OLECMDF>(0);
    return OLECMDERR_E_NOTSUPPORTED;
  }
  *status = static_cast<OLECMDF>(OLECMDF_SUPPORTED | (page_ ? OLECMDF_ENABLED : 0));
  return S_OK;
}

HRESULT WebBrowser::ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out) {
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

HRESULT WebBrowser::get_ReadyState(READYSTATE* state) {
  if (!state)
    return E_POINTER;
  *state = ready_state_;
  return S_OK;
}

HRESULT WebBrowser::get_RegisterAsDropTarget(VARIANT_BOOL* registered) {
  if (!registered)
    return E_POINTER;
  *registered = ToVariantBool(drop_target_);
  return S_OK;
}

HRESULT WebBrowser::put_RegisterAsDropTarget(VARIANT_BOOL registered) {
  drop_target_ = registered != VARIANT_FALSE;
  return S_OK;
}

HRESULT WebBrowser::get_Silent(VARIANT_BOOL* silent) {
  if (!silent)
    return E_POINTER;
  *silent = ToVariantBool(silent_);
  return S_OK;
}

HRESULT WebBrowser::put_Silent(VARIANT_BOOL silent) {
  silent_ = silent != VARIANT_FALSE;
  return S_OK;
}

HRESULT WebBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points)
    *points = nullptr;
  return E_NOTIMPL;
}

HRESULT WebBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point)
    return E_POINTER;
  if (iid != DIID_DWebBrowserEvents2) {
    *point = nullptr;
    return CONNECT_E_NOCONNECTION;
  }
  *point = &events_;
  events_.AddRef();
  return S_OK;
}

void WebBrowser::OnTitleSet(const std::wstring& title) {
  const std::wstring& shown = title.empty() && page_ ? page_->url : title;
  windows_.SetCaption(shown);
  FireTitleChange(events_, shown);
}

HRESULT WebBrowser::StartNavigation(std::wstring url, Kind kind, int history_step) {
  const ComPtr<WebBrowser> keep_alive(this);
  const uint64_t ticket = ++ticket_;
  pending_.reset();
  if (kind == Kind::kNavigate) {
    const bool cancel = FireBeforeNavigate2(events_, top(), url, L"");
    if (!IsCurrent(ticket) || cancel)
      return S_OK;
  }
  pending_ = Pending{ticket, kind, history_step, url, {}};
  ready_state_ = READYSTATE_LOADING;
  if (!StartLoad(mailbox_, ticket, {url}))
    EndWithError(url, E_OUTOFMEMORY);
  return S_OK;
}

void WebBrowser::OnMessage(UINT message) {
  const ComPtr<WebBrowser> keep_alive(this);
  if (message == kRunActionsMessage) {
    RunActions();
    return;
  }
  if (message != kLoadDoneMessage)
    return;
  for (const LoadBatch& batch : mailbox_->TakeAll()) {
    if (batch.pages.empty())
      continue;
    if (!pending_ || !IsCurrent(batch.ticket)) {
      // Stopped or replaced meanwhile: the engine drops what it loaded.
      Journal(L"stale_load", {{L"url", batch.pages.front().requested_url}});
      continue;
    }
    if (pending_->loading_frames.empty())
      OnTopLoaded(batch.pages.front());
    else
      OnFramesLoaded(batch.pages);
  }
}

void WebBrowser::EndWithError(const std::wstring& url, HRESULT error) {
  pending_.reset();
  ready_state_ = page_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
  Journal(L"navigate_error", {{L"url", url}, {L"status", HexCode(error)}});
  // Nothing is left for a cancel to stop.
  FireNavigateError(events_, top(), url, L"", error);
}

void WebBrowser::OnTopLoaded(const LoadedPage& loaded) {
  const uint64_t ticket = ticket_;
  if (FAILED(loaded.error)) {
    EndWithError(loaded.requested_url, loaded.error);
    return;
  }
  if (loaded.http_status >= 400) {
    Journal(L"navigate_error",
            {{L"url", loaded.final_url}, {L"status", std::to_wstring(loaded.http_status)}});
    const bool cancel = FireNavigateError(events_, top(), loaded.final_url, L"",
                                          static_cast<LONG>(loaded.http_status));
    if (!IsCurrent(ticket))
      return;
    if (cancel) {
      pending_.reset();
      ready_state_ = page_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
      return;
    }
  }
  ShowDocument(loaded, ticket);
}

void WebBrowser::ShowDocument(const LoadedPage& loaded, uint64_t ticket) {
  const std::optional<HostSite::HostInfo> host_info = site_.GetHostInfo();
  Journal(L"host_info",
          {{L"flags", host_info ? HexCode(host_info->flags) : L"none"},
           {L"double_click", host_info ? std::to_wstring(host_info->double_click) : L"none"}});
  if (!IsCurrent(ticket))
    return;

  ParsedPage parsed = ParsePage(Utf8ToWide(loaded.body));
  for (const std::wstring& marker : parsed.ignored_markers)
    Journal(L"ignored_marker", {{L"url", loaded.final_url}, {L"text", marker}});
  const int mode = DocumentModeFor(ProcessEmulationSetting().value, parsed.has_doctype);
  const std::wstring title = parsed.title ? ExpandTitleTokens(*parsed.title, mode) : L"";
  const std::wstring& shown_title = title.empty() ? loaded.final_url : title;

  if (page_)
    page_->document->Detach();
  page_.emplace();
  page_->url = loaded.final_url;
  page_->document = NewComObject<HtmlDocument>(this, loaded.final_url, title, mode);
  for (const FrameReference& frame : parsed.frames) {
    page_->frames.push_back(
        NewComObject<FrameBrowser>(ResolveUrl(loaded.final_url, frame.src), frame.name));
  }
  page_->actions = std::move(parsed.actions);
  for (const PageAction& action : page_->actions)
    page_->prompt = page_->prompt || std::holds_alternative<PromptAction>(action);
  const Pending pending = *pending_;
  if (pending.kind == Kind::kNavigate)
    travel_log_.Commit(pending.history_step, loaded.final_url);
  windows_.SetCaption(shown_title);
  ready_state_ = READYSTATE_INTERACTIVE;
  Journal(L"document",
          {{L"url", loaded.final_url}, {L"title", title}, {L"mode", std::to_wstring(mode)}});

  if (pending.kind == Kind::kNavigate) {
    FireNavigateComplete2(events_, top(), loaded.final_url);
    if (!IsCurrent(ticket))
      return;
  }
  FireTitleChange(events_, shown_title);
  if (!IsCurrent(ticket))
    return;
  if (pending.kind == Kind::kRefresh) {
    CompleteDocument(ticket);
    return;
  }

  const auto frames = page_->frames;
  std::vector<std::wstring> urls;
  for (size_t i = 0; i < frames.size(); ++i) {
    const bool cancel =
        FireBeforeNavigate2(events_, frames[i].Get(), frames[i]->url(), frames[i]->name());
    if (!IsCurrent(ticket))
      return;
    if (!cancel) {
      urls.push_back(frames[i]->url());
      pending_->loading_frames.push_back(i);
    }
  }
  if (urls.empty() || !StartLoad(mailbox_, ticket, std::move(urls)))
    CompleteDocument(ticket);
}

void WebBrowser::OnFramesLoaded(const std::vector<LoadedPage>& loaded) {
  const uint64_t ticket = ticket_;
  const std::vector<size_t> indexes = pending_->loading_frames;
  const auto frames = page_->frames;
  for (size_t i = 0; i < indexes.size() && i < loaded.size(); ++i) {
    const LoadedPage& page = loaded[i];
    const ComPtr<FrameBrowser>& frame = frames[indexes[i]];
    if (FAILED(page.error) || page.http_status >= 400) {
      const LONG status = FAILED(page.error) ? page.error : static_cast<LONG>(page.http_status);
      const bool cancel =
          FireNavigateError(events_, frame.Get(), page.requested_url, frame->name(), status);
      if (!IsCurrent(ticket))
        return;
      if (FAILED(page.error) || cancel)
        continue;
    }
    frame->SetLoaded(page.final_url);
    FireNavigateComplete2(events_, frame.Get(), page.final_url);
    if (!IsCurrent(ticket))
      return;
    FireDocumentComplete(events_, frame.Get(), page.final_url);
    if (!IsCurrent(ticket))
      return;
  }
  CompleteDocument(ticket);
}

void WebBrowser::CompleteDocument(uint64_t ticket) {
  const Kind kind = pending_->kind;
  pending_.reset();
  ready_state_ = READYSTATE_COMPLETE;
  page_->document->SetComplete();
  // The engine raises no DocumentComplete for a refresh.
  if (kind == Kind::kNavigate) {
    const std::wstring url = page_->url;
    FireDocumentComplete(events_, top(), url);
    if (!IsCurrent(ticket))
      return;
  }
  if (!page_->actions.empty()) {
    actions_ticket_ = ticket;
    messages_.Post(kRunActionsMessage);
  }
}

void WebBrowser::RunActions() {
  if (!page_ || actions_ticket_ != ticket_)
    return;
  const uint64_t ticket = ticket_;
  // Copies: an action may replace the page.
  const std::vector<PageAction> actions = page_->actions;
  const std::wstring url = page_->url;
  const ComPtr<HtmlDocument> document = page_->document;
  RunPageActions(actions,
                 PageContext{site_, events_, url, static_cast<IHTMLDocument2*>(document.Get()),
                             [this, ticket] { return IsCurrent(ticket); }});
}

bool WebBrowser::PromptStops() {
  if (!page_ || !page_->prompt)
    return false;
  page_->prompt = false;
  const ComPtr<WebBrowser> keep_alive(this);
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
