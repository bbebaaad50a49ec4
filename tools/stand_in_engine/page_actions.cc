// The page's actions, played in document order once the page has loaded, as
// its scripts would (README.md gives what each one asks of the host).

#include <exdisp.h>
#include <shobjidl.h>

#include "tools/stand_in_engine/cookie_writers.h"
#include "tools/stand_in_engine/host_site.h"
#include "tools/stand_in_engine/journal.h"
#include "tools/stand_in_engine/web_browser.h"
#include "utils/ole_owners.h"
#include "utils/scoped_handle.h"

namespace {

// NWMF_USERINITED | NWMF_FIRST.
constexpr DWORD kUserOpenedFlags = 0x6;

// What a component of the engine's process might install; the host's crash
// handler must stay in force.
LONG WINAPI ForeignFilter(EXCEPTION_POINTERS*) {
  Journal(L"foreign_filter");
  return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI Fault(void*) {
  *static_cast<volatile int*>(nullptr) = 0;
  return 0;
}

void Crash() {
  ::SetUnhandledExceptionFilter(&ForeignFilter);
  Journal(L"crash");
  const unique_handle thread(::CreateThread(nullptr, 0, &Fault, nullptr, 0, nullptr));
}

}  // namespace

void WebBrowser::RunActions() {
  if (!page_ || actions_ticket_ != ticket_)
    return;
  const uint64_t ticket = ticket_;
  // A copy: an action may replace the page.
  const Page page = *page_;
  for (const PageAction& action : page.actions) {
    if (action.verb == PageAction::kCookie) {
      StartCookieWriters(page.url, action);
      continue;
    }
    if (action.verb == PageAction::kKey) {
      // Through the host's message loop, as a key press comes.
      const HWND server = windows_.server();
      ::PostMessageW(server, WM_KEYDOWN, action.virtual_key, 1);
      Journal(L"key", {{L"vk", std::to_wstring(action.virtual_key)},
                       {L"window", std::to_wstring(reinterpret_cast<uintptr_t>(server))}});
      continue;
    }
    if (action.verb == PageAction::kCrash) {
      Crash();
      continue;
    }
    const bool go_on = action.verb == PageAction::kOpen    ? OpenWindow(action, page, ticket)
                       : action.verb == PageAction::kClose ? CloseWindow(ticket)
                       : action.verb == PageAction::kScriptError
                           ? ReportScriptError(action, page, ticket)
                           : true;  // held for the page's end
    if (!go_on)
      return;
  }
}

bool WebBrowser::OpenWindow(const PageAction& open, const Page& page, uint64_t ticket) {
  // window.open("") opens about:blank, but the engine passes the URL on empty.
  const std::wstring url = open.text.empty() ? L"" : ResolveUrl(page.url, open.text);
  const DWORD flags = open.flags.value_or(open.user_action ? kUserOpenedFlags : 0);
  com_ptr<INewWindowManager> manager;
  if (const com_ptr<IServiceProvider> services = SiteAs<IServiceProvider>(site_))
    (void)services->QueryService(IID_INewWindowManager, IID_INewWindowManager, manager.put_void());
  const std::optional<HRESULT> verdict =
      manager ? std::optional(manager->EvaluateNewWindow(
                    url.c_str(), open.name.empty() ? nullptr : open.name.c_str(), page.url.c_str(),
                    open.features.empty() ? nullptr : open.features.c_str(), FALSE, flags,
                    open.user_action ? ::GetTickCount() : 0))
              : std::nullopt;
  Journal(L"evaluate_new_window", {{L"url", url},
                                   {L"flags", HexCode(flags)},
                                   {L"result", verdict ? HexCode(*verdict) : L"no-manager"}});
  // S_FALSE is the manager's "block"; anything else lets the window open.
  if (!IsCurrent(ticket) || verdict == S_FALSE)
    return IsCurrent(ticket);

  bool cancel = false;
  const com_ptr<IDispatch> browser = events_.NewWindow3(flags, page.url, url, &cancel);
  if (!IsCurrent(ticket))
    return false;
  com_ptr<IWebBrowser2> target;
  if (FAILED(browser.query(&target))) {
    // Without a browser from the host the real engine would open a window of
    // its own; a test double has none to open.
    Journal(L"new_window", {{L"url", url}, {L"outcome", cancel ? L"cancelled" : L"unhosted"}});
    return true;
  }
  const unique_bstr target_url = MakeBstr(url.empty() ? L"about:blank" : url.c_str());
  unique_variant empty;
  const HRESULT navigated =
      target->Navigate(target_url.get(), empty.get(), empty.get(), empty.get(), empty.get());
  Journal(L"new_window",
          {{L"url", url}, {L"outcome", L"hosted"}, {L"navigate", HexCode(navigated)}});
  return IsCurrent(ticket);
}

bool WebBrowser::CloseWindow(uint64_t ticket) {
  const HRESULT handled = ExecOnSite(site_, OLECMDID_CLOSE, nullptr, nullptr);
  // A host that does not take the command leaves the closing to the engine,
  // which announces it.
  const wchar_t* closing = L"not-raised";
  if (IsCurrent(ticket) && FAILED(handled))
    closing = events_.WindowClosing() ? L"cancelled" : L"raised";
  Journal(L"close", {{L"exec", HexCode(handled)}, {L"window_closing", closing}});
  return IsCurrent(ticket);
}

bool WebBrowser::ReportScriptError(const PageAction& error, const Page& page, uint64_t ticket) {
  unique_variant document;
  document.get()->vt = VT_UNKNOWN;
  document.get()->punkVal = com_ptr<IUnknown>(page.document->GetUnknown()).release();
  unique_variant answer;
  const HRESULT handled = ExecOnSite(site_, OLECMDID_SHOWSCRIPTERROR, document.get(), answer.get());
  const bool keep_running =
      SUCCEEDED(handled) && answer.get()->vt == VT_BOOL && answer.get()->boolVal != VARIANT_FALSE;
  Journal(L"script_error", {{L"message", error.text},
                            {L"exec", HexCode(handled)},
                            {L"continue", keep_running ? L"1" : L"0"}});
  return keep_running && IsCurrent(ticket);
}
