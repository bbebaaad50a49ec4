#ifndef ENGINE_CONFIG_NETWORK_HOOKS_H_
#define ENGINE_CONFIG_NETWORK_HOOKS_H_

#include <string_view>

// Where the hooks hand each cookie that enters WinINet's store: the URL it
// was set for, the cookie as it was set, and whether scripts may not see it.
// Called on whichever thread set the cookie, often one of the engine's
// networking threads.
using CookieSink = void (*)(std::wstring_view url, std::wstring_view cookie, bool http_only);

// Hooks WinINet so that cookies set in this process reach `sink`: those
// that pages set from script and, through the requests' status callbacks,
// the Set-Cookie headers of responses. Calls that this program makes itself
// are left out: those cookies came from the extension. Besides, attempts to
// set the per-server connection limit get 6, and requests opened without a
// context get a marker context.
//
// The hooks stay until the process ends. Later calls do nothing; a function
// that cannot be hooked keeps working unobserved.
void InstallNetworkHooks(CookieSink sink);

#endif  // ENGINE_CONFIG_NETWORK_HOOKS_H_
