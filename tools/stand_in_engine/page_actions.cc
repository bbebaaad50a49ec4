#include "tools/stand_in_engine/page_actions.h"

#include <docobj.h>
#include <exdisp.h>
#include <wininet.h>
#include <wrl/client.h>

#include "tools/stand_in_engine/browser_events.h"
#include "tools/stand_in_engine/journal.h"
#include "tools/stand_in_engine/new_window_flags.h"
#include "tools/stand_in_engine/resolve_url.h"
#include "tools/stand_in_engine/scoped_com.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t* OptionalText(const std::optional<std::wstring>& text) {
  return text ? text->c_str() : nullptr;
}

// Each returns whether the page's scripts go on.

bool OpenWindow(const OpenWindowAction& open, const PageContext& page) {
  const std::wstring url = ResolveUrl(page.page_url, open.url);
  const DWORD flags = NewWindowFlags(open);
  const DWORD user_action_time = open.user_action ? ::GetTickCount() : 0;
  const std::optional<HRESULT> verdict =
      page.site.EvaluateNewWindow(url.c_str(), OptionalText(open.name), page.page_url.c_str(),
                                  OptionalText(open.features), flags, user_action_time);
  Journal(L"evaluate_new_window", {{L"url", url},
                                   {L"flags", HexCode(flags)},
                                   {L"result", verdict ? HexCode(*verdict) : L"no-manager"}});
  if (!page.still_current())
    return false;
  // S_FALSE is the manager's "block"; anything else lets the window open.
  if (verdict == S_FALSE)
    return true;

  const NewWindowAnswer answer = FireNewWindow3(page.events, flags, page.page_url, url);
  if (!page.still_current())
    return false;
  ComPtr<IWebBrowser2> target;
  if (answer.cancel || !answer.browser || FAILED(answer.browser.As(&target))) {
    // Without a browser from the host the real engine would open a window of
    // its own; a test double has none to open.
    Journal(L"new_window",
            {{L"url", url}, {L"outcome", answer.cancel ? L"cancelled" : L"unhosted"}});
    return true;
  }
  const unique_bstr target_url = MakeBstr(url);
  ScopedVariant flags_value, frame, post_data, headers;
  const HRESULT navigated = target->Navigate(target_url.get(), flags_value.get(), frame.get(),
                                             post_data.get(), headers.get());
  Journal(L"new_window",
          {{L"url", url}, {L"outcome", L"hosted"}, {L"navigate", HexCode(navigated)}});
  return page.still_current();
}

bool SetCookie(const SetCookieAction& cookie, const PageContext& page) {
  const BOOL set = ::InternetSetCookieW(page.page_url.c_str(), nullptr, cookie.value.c_str());
  Journal(L"cookie",
          {{L"url", page.page_url}, {L"value", cookie.value}, {L"result", set ? L"1" : L"0"}});
  return true;
}

bool CloseWindow(const PageContext& page) {
  const HRESULT handled = page.site.Exec(OLECMDID_CLOSE, nullptr, nullptr);
  if (!page.still_current()) {
    Journal(L"close", {{L"exec", HexCode(handled)}});
    return false;
  }
  // A host that does not take the command leaves the closing to the engine,
  // which announces it.
  const wchar_t* closing = L"not-raised";
  if (FAILED(handled))
    closing = FireWindowClosing(page.events, false) ? L"cancelled" : L"raised";
  Journal(L"close", {{L"exec", HexCode(handled)}, {L"window_closing", closing}});
  return page.still_current();
}

bool ReportScriptError(const ScriptErrorAction& error, const PageContext& page) {
  ScopedVariant document = ScopedVariant::Unknown(page.document);
  ScopedVariant answer;
  const HRESULT handled = page.site.Exec(OLECMDID_SHOWSCRIPTERROR, document.get(), answer.get());
  const bool keep_running =
      SUCCEEDED(handled) && answer.value().vt == VT_BOOL && answer.value().boolVal != VARIANT_FALSE;
  Journal(L"script_error", {{L"message", error.message},
                            {L"exec", HexCode(handled)},
                            {L"continue", keep_running ? L"1" : L"0"}});
  return keep_running && page.still_current();
}

}  // namespace

void RunPageActions(const std::vector<PageAction>& actions, const PageContext& page) {
  for (const PageAction& action : actions) {
    const bool go_on = std::visit(
        [&page](const auto& act) {
          using Action = std::decay_t<decltype(act)>;
          if constexpr (std::is_same_v<Action, OpenWindowAction>)
            return OpenWindow(act, page);
          else if constexpr (std::is_same_v<Action, SetCookieAction>)
            return SetCookie(act, page);
          else if constexpr (std::is_same_v<Action, CloseWindowAction>)
            return CloseWindow(page);
          else if constexpr (std::is_same_v<Action, ScriptErrorAction>)
            return ReportScriptError(act, page);
          else
            return true;  // the browser holds the prompt for the page's end
        },
        action);
    if (!go_on)
      return;
  }
}
