#ifndef UTILS_STACK_TEXT_H_
#define UTILS_STACK_TEXT_H_

#include <windows.h>

#include <string>

// dbghelp.dll, loaded from the system folder on first use and kept; null
// when it cannot be loaded.
HMODULE DebugHelpLibrary();

// The crash report's text for `thread` stopped at `context`: the command
// line, the symbol set-up, the program's own module and one line per frame,
// outermost last. Empty when dbghelp is missing or cannot start.
std::string StackText(HANDLE thread, const CONTEXT& context, int release_code);

#endif  // UTILS_STACK_TEXT_H_
