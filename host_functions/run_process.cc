#include "host_functions/run_process.h"

#include <windows.h>

#include "utils/scoped_handle.h"

bool RunProcess(const std::wstring& path,
                const std::wstring& arguments,
                unsigned long wait_ms,
                bool show) {
  std::wstring command_line = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup = {sizeof(startup)};
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show ? SW_SHOWDEFAULT : SW_HIDE);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  unique_handle process(info.hProcess);
  unique_handle thread(info.hThread);
  if (wait_ms != 0)
    ::WaitForSingleObject(process.get(), wait_ms);
  return true;
}
