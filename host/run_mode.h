#ifndef HOST_RUN_MODE_H_
#define HOST_RUN_MODE_H_

#include <string_view>

#include "host/cmd_line_parser.h"

// What the process was started for. The browser starts the extension host
// with the extension's origin ("chrome-extension://id/") as first argument,
// which the parser reads as the switch "extension". "/diagnose" reports on
// the installation; its exit code is the number of problems found.
enum class RunMode { kExtension, kDevTools, kDiagnose, kInstaller };

RunMode ChooseRunMode(const CCmdLineParser& parser);
// The exit code of every mode but kDiagnose.
int ExitCodeFor(RunMode mode);

// The value of the leading decimal digits (no sign, no blanks), 0 when there
// are none; saturates at INT_MAX.
int ParseLeadingDecimal(std::wstring_view text);

#endif  // HOST_RUN_MODE_H_
