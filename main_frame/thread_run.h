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

// Runs one callback on one worker thread, which ends when the callback
// returns. It is never killed: a thread killed inside a heap or loader call
// would leave that lock held for everyone after it. A reader blocked on its
// input is left to process exit, so its runner must live until then.
class CThreadRun {
 public:
  CThreadRun() = default;
  // Waits for a running callback to return: the thread uses this object.
  virtual ~CThreadRun();
  CThreadRun(const CThreadRun&) = delete;
  CThreadRun& operator=(const CThreadRun&) = delete;

  // False when a thread already runs or none could be started.
  [[nodiscard]] bool Start(IThreadRunCallBack* callback, int param);
  bool IsRunning();

 private:
  struct StartBlock;
  static unsigned __stdcall ThreadProc(void* start_block);

  unique_handle thread_;
  CriticalSection lock_;
  bool running_ = false;
  IThreadRunCallBack* callback_ = nullptr;
};

#endif  // MAIN_FRAME_THREAD_RUN_H_
