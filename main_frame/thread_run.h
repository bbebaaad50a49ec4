#ifndef MAIN_FRAME_THREAD_RUN_H_
#define MAIN_FRAME_THREAD_RUN_H_

#include <windows.h>

#include "utils/critical_section.h"
#include "utils/scoped_handle.h"

class CThreadRun;

class IThreadRunCallBack {
 public:
  virtual ~IThreadRunCallBack() = default;
  virtual void Run(CThreadRun* thread, int param) = 0;
};

// Runs one callback on one worker thread. The thread is never joined: it ends
// by itself, or Stop() ends it forcibly (a reader blocked on its input).
class CThreadRun {
 public:
  static constexpr DWORD kStopExitCode = 0xABCD;

  CThreadRun() = default;
  virtual ~CThreadRun();
  CThreadRun(const CThreadRun&) = delete;
  CThreadRun& operator=(const CThreadRun&) = delete;

  [[nodiscard]] bool Start(IThreadRunCallBack* callback, int param);
  void Stop();
  bool IsRunning();

 private:
  struct StartBlock;
  static unsigned __stdcall ThreadProc(void* start_block);

  unique_handle thread_;
  CriticalSection lock_;
  IThreadRunCallBack* callback_ = nullptr;
};

#endif  // MAIN_FRAME_THREAD_RUN_H_
