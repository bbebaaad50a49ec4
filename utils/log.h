#ifndef UTILS_LOG_H_
#define UTILS_LOG_H_

#include <sstream>

// Shared log file of all host processes: "<exe folder>\log\<exe name>.log",
// guarded by a machine-wide mutex, rotated to one ".bak" above 5 MiB. The
// threshold comes from HKCU "Software\tabbridge" "LogLevel" (REG_DWORD);
// it defaults to ERROR, so DEBUG lines appear only once it is lowered.
//
//   LOG(DEBUG) << L"CrxClose FrameId " << frame_id;
//
// Operands of a statement below the threshold are not evaluated.

enum LogLevel : int {
  LOG_LEVEL_DEBUG = 0,
  LOG_LEVEL_INFO = 1,
  LOG_LEVEL_WARNING = 2,
  LOG_LEVEL_ERROR = 3,
  LOG_LEVEL_FATAL = 4,
};

// True once the facility is initialised; initialises it on first use and
// retries after a failure.
bool LogEnsureReady();
int LogMinLevel();

// One statement: the constructor writes the line prefix, the destructor
// appends the line to the file. The caller's last-error value is preserved.
class LogMessage {
 public:
  LogMessage(const char* source_path, int line, int level);
  ~LogMessage();
  LogMessage(const LogMessage&) = delete;
  LogMessage& operator=(const LogMessage&) = delete;

  std::wostream& stream() { return stream_; }

 private:
  int level_;
  unsigned long saved_last_error_;
  std::wostringstream stream_;
};

namespace log_internal {
// Lets the statement macro be one expression of type void.
struct Voidify {
  void operator&(std::wostream&) {}
};
}  // namespace log_internal

#define LOG_IS_ON(level) (LogEnsureReady() && LogMinLevel() <= (level))
#define LOG(severity)              \
  !LOG_IS_ON(LOG_LEVEL_##severity) \
      ? (void)0                    \
      : log_internal::Voidify() & LogMessage(__FILE__, __LINE__, LOG_LEVEL_##severity).stream()

#endif  // UTILS_LOG_H_
