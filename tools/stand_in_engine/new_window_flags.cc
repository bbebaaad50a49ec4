#include "tools/stand_in_engine/new_window_flags.h"

uint32_t NewWindowFlags(const OpenWindowAction& open) {
  if (open.flags)
    return *open.flags;
  uint32_t flags = open.user_action ? kNwmfUserInited | kNwmfFirst : 0;
  if (open.features && !open.features->empty())
    flags |= kNwmfSuggestWindow;
  return flags;
}
