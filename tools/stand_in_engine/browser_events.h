#ifndef TOOLS_STAND_IN_ENGINE_BROWSER_EVENTS_H_
#define TOOLS_STAND_IN_ENGINE_BROWSER_EVENTS_H_

#include <windows.h>

#include <wrl/client.h>

#include <string_view>

#include "tools/stand_in_engine/event_connection_point.h"

// DWebBrowserEvents2 with the argument shapes of the engine: every
// by-reference argument points at a VARIANT that lives for the call, and a
// cancel flag set by any sink is seen by the sinks after it and returned.

// BeforeNavigate2: frame, URL, Flags (VT_I4 0), TargetFrameName, PostData
// (VT_EMPTY), Headers (empty VT_BSTR), Cancel. True when cancelled.
bool FireBeforeNavigate2(EventConnectionPoint& events,
                         IDispatch* frame,
                         std::wstring_view url,
                         std::wstring_view target_frame);
void FireNavigateComplete2(EventConnectionPoint& events, IDispatch* frame, std::wstring_view url);
void FireDocumentComplete(EventConnectionPoint& events, IDispatch* frame, std::wstring_view url);
// NavigateError: frame, URL, TargetFrameName, StatusCode (VT_I4: the HTTP
// status or an INET_E_ code), Cancel. True when cancelled.
bool FireNavigateError(EventConnectionPoint& events,
                       IDispatch* frame,
                       std::wstring_view url,
                       std::wstring_view target_frame,
                       LONG status);
void FireTitleChange(EventConnectionPoint& events, std::wstring_view title);

struct NewWindowAnswer {
  Microsoft::WRL::ComPtr<IDispatch> browser;  // what the host put in ppDisp
  bool cancel = false;
};
// NewWindow3: ppDisp (VT_BYREF|VT_DISPATCH, null on entry), Cancel, dwFlags
// (VT_I4), bstrUrlContext, bstrUrl.
NewWindowAnswer FireNewWindow3(EventConnectionPoint& events,
                               DWORD flags,
                               std::wstring_view url_context,
                               std::wstring_view url);
// WindowClosing: IsChildWindow (VT_BOOL), Cancel. True when cancelled.
bool FireWindowClosing(EventConnectionPoint& events, bool child_window);

#endif  // TOOLS_STAND_IN_ENGINE_BROWSER_EVENTS_H_
