#ifndef HOST_FUNCTIONS_RUN_PROCESS_H_
#define HOST_FUNCTIONS_RUN_PROCESS_H_

#include <string>

// Starts `"path" arguments` without inheriting handles, shown normally or
// hidden, and waits up to `wait_ms` for it when that is not 0. True when the
// process started.
bool RunProcess(const std::wstring& path,
                const std::wstring& arguments,
                unsigned long wait_ms,
                bool show);

#endif  // HOST_FUNCTIONS_RUN_PROCESS_H_
