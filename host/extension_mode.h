#ifndef HOST_EXTENSION_MODE_H_
#define HOST_EXTENSION_MODE_H_

#include <windows.h>

#include "engine_config/network_hooks.h"

// Prepares the process for serving the extension, in this order: the removal
// of set-aside executables from the install folder, the engine
// configuration, the guard of the engine's suggestion window, OLE, user32's
// window machinery, common controls, the module, the page window class, the
// skin and the network hooks, which hand the engine's cookies to `cookie_sink`,
// and the HTTP client.
void PrepareExtensionMode(HINSTANCE instance, CookieSink cookie_sink);

#endif  // HOST_EXTENSION_MODE_H_
