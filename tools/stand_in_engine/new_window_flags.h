#ifndef TOOLS_STAND_IN_ENGINE_NEW_WINDOW_FLAGS_H_
#define TOOLS_STAND_IN_ENGINE_NEW_WINDOW_FLAGS_H_

#include <cstdint>

#include "tools/stand_in_engine/page_vocabulary.h"

// NWMF values of the new-window manager and NewWindow3.
inline constexpr uint32_t kNwmfUserInited = 0x2;
inline constexpr uint32_t kNwmfFirst = 0x4;
inline constexpr uint32_t kNwmfSuggestWindow = 0x40000;

// The flags an open action is reported with: its own "flags" when given;
// otherwise NWMF_USERINITED | NWMF_FIRST for a user action, plus
// NWMF_SUGGESTWINDOW when it names features (a sized pop-up, not a tab).
uint32_t NewWindowFlags(const OpenWindowAction& open);

#endif  // TOOLS_STAND_IN_ENGINE_NEW_WINDOW_FLAGS_H_
