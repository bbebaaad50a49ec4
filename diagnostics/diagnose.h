#ifndef DIAGNOSTICS_DIAGNOSE_H_
#define DIAGNOSTICS_DIAGNOSE_H_

#include <windows.h>

#include <vector>

#include "diagnostics/finding.h"

// Looks at everything a browser needs to start the host, and at the host's
// settings, for the current user.
std::vector<Finding> Diagnose();

// Reports the findings to `std_output` when it is redirected to a file or a
// pipe, else to the parent's console when there is one, else to
// "diagnostics.txt" in this program's log folder, whose path a message box
// shows. Returns the number of problems found.
int RunDiagnostics(HANDLE std_output);

#endif  // DIAGNOSTICS_DIAGNOSE_H_
