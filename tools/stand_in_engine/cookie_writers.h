#ifndef TOOLS_STAND_IN_ENGINE_COOKIE_WRITERS_H_
#define TOOLS_STAND_IN_ENGINE_COOKIE_WRITERS_H_

#include <string>

#include "tools/stand_in_engine/page_vocabulary.h"

// Plays a page's document.cookie write for `url` the way the engine does it,
// on threads of its own: `cookie.threads` threads, released together, each
// set `cookie.text` `cookie.count` times through WinINet
// (InternetSetCookieW, or InternetSetCookieExW with the HttpOnly flag).
// Returns at once; each thread journals what it set when done.
void StartCookieWriters(const std::wstring& url, const PageAction& cookie);

#endif  // TOOLS_STAND_IN_ENGINE_COOKIE_WRITERS_H_
