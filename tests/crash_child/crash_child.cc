// tb_crash_child.exe --tb-child=InstallCrashHandlerThenFault: installs the
// crash handler with the report endpoint named in TB_TEST_REPORT_ENDPOINT,
// checks that later filters replace nothing, then faults.

#include <windows.h>

#include "engine_config/hook/hook_engine.h"
#include "tests/child_process.h"
#include "utils/crash_handler.h"
#include "utils/http_client.h"

namespace {

LONG WINAPI EarlierFilter(EXCEPTION_POINTERS*) {
  ExitChild(10);
}

LONG WINAPI LaterFilter(EXCEPTION_POINTERS*) {
  ExitChild(11);
}

__attribute__((noinline)) void FaultOnPurpose() {
  ::RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
}

TB_CHILD_ROUTINE(InstallCrashHandlerThenFault) {
  wchar_t endpoint[256] = L"";
  ::GetEnvironmentVariableW(L"TB_TEST_REPORT_ENDPOINT", endpoint, 256);
  ::SetUnhandledExceptionFilter(&EarlierFilter);
  if (!InstallCrashHandler(&HookExport, {"2.26.20.0", 8, endpoint}) || !StartHttpClient())
    return 1;
  // Later callers get back what they replaced, and replace nothing.
  if (::SetUnhandledExceptionFilter(&LaterFilter) != &EarlierFilter ||
      ::SetUnhandledExceptionFilter(&LaterFilter) != &LaterFilter) {
    return 2;
  }
  FaultOnPurpose();
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
  return RunChildRoutineFromCommandLine(argc, argv).value_or(kUnknownChildRoutine);
}
