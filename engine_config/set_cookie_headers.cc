#include "engine_config/set_cookie_headers.h"

#include <algorithm>

void ReadSetCookieHeaders(const SetCookieQuery& query,
                          const std::function<void(std::string_view header)>& report) {
  char buffer[kSetCookieBufferSize];
  constexpr uint32_t kOffered = kSetCookieBufferSize - 1;
  uint32_t index = 0;
  for (;;) {
    const uint32_t asked = index;
    uint32_t length = kOffered;
    if (!query(&index, buffer, &length))
      return;
    // Never past what was offered, whatever the library claims.
    if (length > 0)
      report(std::string_view(buffer, std::min(length, kOffered)));
    // A library that does not move on would hand out this header forever.
    if (index <= asked)
      return;
  }
}
