#ifndef UTILS_LOG_FAILURE_H_
#define UTILS_LOG_FAILURE_H_

// Calls whose failure the host lets pass still leave a trace: a failed result
// is logged at DEBUG with the call, file and line, and passes through.
//
//   LOG_IF_FAILED(browser->Stop());
//   LOG_IF_WIN32_BOOL_FALSE(::SetCurrentDirectoryW(folder));  // with the last error
//   LOG_IF_FALSE(HookWindow(hwnd()));                         // our own bool results

long LogIfFailed(long hr, const char* call, const char* file, int line);
bool LogIfWin32BoolFalse(bool ok, const char* call, const char* file, int line);
bool LogIfFalse(bool ok, const char* call, const char* file, int line);

#define LOG_IF_FAILED(expr) LogIfFailed((expr), #expr, __FILE__, __LINE__)
#define LOG_IF_WIN32_BOOL_FALSE(expr) LogIfWin32BoolFalse(!!(expr), #expr, __FILE__, __LINE__)
#define LOG_IF_FALSE(expr) LogIfFalse(!!(expr), #expr, __FILE__, __LINE__)

// Remembers the thread that made it. In debug builds a call from another
// thread is logged and stops the process, so a misplaced call fails tests.
class ThreadChecker {
 public:
  ThreadChecker();
  bool CalledOnValidThread() const;

 private:
  unsigned long thread_id_;
};

void CheckCalledOnValidThread(const ThreadChecker& checker, const char* file, int line);

#ifdef NDEBUG
#define DCHECK_CALLED_ON_VALID_THREAD(checker) ((void)0)
#else
#define DCHECK_CALLED_ON_VALID_THREAD(checker) \
  CheckCalledOnValidThread((checker), __FILE__, __LINE__)
#endif

#endif  // UTILS_LOG_FAILURE_H_
