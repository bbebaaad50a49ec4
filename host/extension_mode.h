#ifndef HOST_EXTENSION_MODE_H_
#define HOST_EXTENSION_MODE_H_

#include <windows.h>

// Prepares the process for serving the extension, in this order: the engine
// configuration, the guard of the engine's suggestion window, OLE, user32's
// window machinery, common controls, the module and the page window class.
void PrepareExtensionMode(HINSTANCE instance);

#endif  // HOST_EXTENSION_MODE_H_
