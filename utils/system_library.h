#ifndef UTILS_SYSTEM_LIBRARY_H_
#define UTILS_SYSTEM_LIBRARY_H_

#include <windows.h>

#include "utils/scoped_handle.h"

// Loads `file_name` from the system folder only, never from the program's
// folder or the current directory.
unique_hmodule LoadSystemFolderLibrary(const wchar_t* file_name);

#endif  // UTILS_SYSTEM_LIBRARY_H_
