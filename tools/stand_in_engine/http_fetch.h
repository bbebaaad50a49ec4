#ifndef TOOLS_STAND_IN_ENGINE_HTTP_FETCH_H_
#define TOOLS_STAND_IN_ENGINE_HTTP_FETCH_H_

#include <string>

#include "tools/stand_in_engine/url_loader.h"

// A GET through WinINet, as the engine's network stack makes it: the
// process's cookie store adds Cookie headers and takes Set-Cookie headers,
// redirects are followed, and the functions the host may watch
// (InternetOpenW, HttpOpenRequestW, the cookie calls) are the ones used.
// Fills the status, body and final URL of `page`, or its error.
void FetchHttp(const std::wstring& url, LoadedPage* page);

#endif  // TOOLS_STAND_IN_ENGINE_HTTP_FETCH_H_
