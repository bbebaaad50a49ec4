#ifndef IE_CONTROL_DEV_TOOLS_COMMAND_H_
#define IE_CONTROL_DEV_TOOLS_COMMAND_H_

#include <string>

// The engine's tools cannot always be made inside the host; a copy of the
// host then attaches them from outside, started with these switches.

// "/devtools /p:<process id> /h:<page window>", both in decimal.
std::wstring DevToolsCommandLine(unsigned long process_id, unsigned long window);

// What the tools library's attach entry reads: "<process id> <window>", the
// id in decimal and the window in lowercase hexadecimal.
std::string AttachToolsArgument(int process_id, unsigned long window);

#endif  // IE_CONTROL_DEV_TOOLS_COMMAND_H_
