#include "ie_control/dev_tools_command.h"

#include <cstdio>

std::wstring DevToolsCommandLine(unsigned long process_id, unsigned long window) {
  return L"/devtools /p:" + std::to_wstring(process_id) + L" /h:" + std::to_wstring(window);
}

std::string AttachToolsArgument(int process_id, unsigned long window) {
  char text[32];
  std::snprintf(text, sizeof(text), "%d %lx", process_id, window);
  return text;
}
