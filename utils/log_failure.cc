#include "utils/log_failure.h"

#include <windows.h>

#include <cstdlib>
#include <iomanip>

#include "utils/log.h"

namespace {

void LogFailure(const char* call, const char* file, int line, unsigned long code) {
  LogMessage(file, line, LOG_LEVEL_DEBUG).stream()
      << L"Failed " << call << L": 0x" << std::hex << std::setw(8) << std::setfill(L'0') << code;
}

}  // namespace

long LogIfFailed(long hr, const char* call, const char* file, int line) {
  if (FAILED(hr) && LOG_IS_ON(LOG_LEVEL_DEBUG))
    LogFailure(call, file, line, static_cast<unsigned long>(hr));
  return hr;
}

bool LogIfWin32BoolFalse(bool ok, const char* call, const char* file, int line) {
  if (!ok) {
    const DWORD error = ::GetLastError();
    if (LOG_IS_ON(LOG_LEVEL_DEBUG))
      LogFailure(call, file, line, error);
    ::SetLastError(error);
  }
  return ok;
}

bool LogIfFalse(bool ok, const char* call, const char* file, int line) {
  if (!ok && LOG_IS_ON(LOG_LEVEL_DEBUG))
    LogMessage(file, line, LOG_LEVEL_DEBUG).stream() << L"Failed " << call;
  return ok;
}

ThreadChecker::ThreadChecker() : thread_id_(::GetCurrentThreadId()) {}

bool ThreadChecker::CalledOnValidThread() const {
  return ::GetCurrentThreadId() == thread_id_;
}

void CheckCalledOnValidThread(const ThreadChecker& checker, const char* file, int line) {
  if (checker.CalledOnValidThread())
    return;
  if (LogEnsureReady())
    LogMessage(file, line, LOG_LEVEL_FATAL).stream() << L"Called off its thread";
  std::abort();
}
