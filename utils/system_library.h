#ifndef UTILS_SYSTEM_LIBRARY_H_
#define UTILS_SYSTEM_LIBRARY_H_

#include <windows.h>

#include <initializer_list>
#include <utility>

#include "utils/scoped_handle.h"

// Loads `file_name` from the system folder only, never from the program's
// folder or the current directory.
unique_hmodule LoadSystemFolderLibrary(const wchar_t* file_name);

using ExportLookup = FARPROC(WINAPI*)(HMODULE module, LPCSTR name);

// Fills every slot with its named export (null when missing, or when there is
// no module); true when all were found.
bool LookUpExports(HMODULE module,
                   ExportLookup lookup,
                   std::initializer_list<std::pair<const char*, void**>> exports);

#endif  // UTILS_SYSTEM_LIBRARY_H_
