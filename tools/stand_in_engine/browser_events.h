#ifndef TOOLS_STAND_IN_ENGINE_BROWSER_EVENTS_H_
#define TOOLS_STAND_IN_ENGINE_BROWSER_EVENTS_H_

#include <windows.h>

#include <ocidl.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "utils/com_ptr.h"

// The DWebBrowserEvents2 sinks of one browser, and the events with the
// engine's argument shapes (declared order; README.md has the table). Every
// by-reference argument points at a VARIANT that lives for the call; a
// cancel flag set by one sink is seen by the sinks after it and returned.
class EventSinks {
 public:
  HRESULT Advise(IUnknown* sink, DWORD* cookie);
  HRESULT Unadvise(DWORD cookie);
  void Clear();

  bool BeforeNavigate2(IDispatch* frame, const std::wstring& url, const std::wstring& target);
  void NavigateComplete2(IDispatch* frame, const std::wstring& url);
  void DocumentComplete(IDispatch* frame, const std::wstring& url);
  // `status`: the HTTP status or an INET_E_ code.
  bool NavigateError(IDispatch* frame,
                     const std::wstring& url,
                     const std::wstring& target,
                     LONG status);
  void TitleChange(const std::wstring& title);
  // What the host put in ppDisp (we take its reference); null when
  // cancelled or when it put none.
  com_ptr<IDispatch> NewWindow3(DWORD flags,
                                const std::wstring& url_context,
                                const std::wstring& url,
                                bool* cancel);
  bool WindowClosing();

 private:
  // Calls every sink advised when the call starts, in the order they came.
  void Fire(DISPID event, std::initializer_list<VARIANTARG> arguments);

  DWORD next_cookie_ = 1;
  std::vector<std::pair<DWORD, com_ptr<IDispatch>>> sinks_;
};

// The connection point for `sinks`, which live in `container`: holding the
// point keeps the container, and so the sinks, alive.
HRESULT MakeEventsConnectionPoint(IConnectionPointContainer* container,
                                  EventSinks* sinks,
                                  IConnectionPoint** point);

#endif  // TOOLS_STAND_IN_ENGINE_BROWSER_EVENTS_H_
