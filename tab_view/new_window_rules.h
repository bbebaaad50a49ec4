#ifndef TAB_VIEW_NEW_WINDOW_RULES_H_
#define TAB_VIEW_NEW_WINDOW_RULES_H_

#include <cstdint>
#include <string_view>

// Whether the engine's new-window flags ask for a window of its own rather
// than a tab (NWMF_FORCEWINDOW, NWMF_SUGGESTWINDOW).
bool AsksForPopup(uint32_t flags);

// Whether a file URL names a folder: nothing after its last "/" has a ".".
bool NamesFolder(std::wstring_view file_url);

#endif  // TAB_VIEW_NEW_WINDOW_RULES_H_
