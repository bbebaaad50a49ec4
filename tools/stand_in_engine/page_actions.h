#ifndef TOOLS_STAND_IN_ENGINE_PAGE_ACTIONS_H_
#define TOOLS_STAND_IN_ENGINE_PAGE_ACTIONS_H_

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/stand_in_engine/event_connection_point.h"
#include "tools/stand_in_engine/host_site.h"
#include "tools/stand_in_engine/page_vocabulary.h"

struct PageContext {
  const HostSite& site;
  EventConnectionPoint& events;
  const std::wstring& page_url;
  IUnknown* document;
  // False once the host navigated, stopped or closed the browser during one
  // of the calls; the page's remaining actions are then dropped.
  std::function<bool()> still_current;
};

// Plays the page's actions in document order, as its scripts would once the
// page has loaded (README.md gives what each one asks of the host). A
// script error the host does not tell the engine to continue from ends the
// page's scripts, and with them the remaining actions.
void RunPageActions(const std::vector<PageAction>& actions, const PageContext& page);

#endif  // TOOLS_STAND_IN_ENGINE_PAGE_ACTIONS_H_
