#include "main_frame/thread_run.h"

#include <process.h>

#include <memory>

struct CThreadRun::StartBlock {
  CThreadRun* runner;
  int param;
};

CThreadRun::~CThreadRun() {
  Stop();
}

bool CThreadRun::Start(IThreadRunCallBack* callback, int param) {
  AutoLock lock(lock_);
  Stop();
  callback_ = callback;
  auto block = std::make_unique<StartBlock>(StartBlock{this, param});
  const uintptr_t thread =
      _beginthreadex(nullptr, 0, &CThreadRun::ThreadProc, block.get(), 0, nullptr);
  if (!thread)
    return false;
  (void)block.release();  // the thread frees it
  thread_.reset(reinterpret_cast<HANDLE>(thread));
  return true;
}

void CThreadRun::Stop() {
  AutoLock lock(lock_);
  if (!thread_)
    return;
  ::TerminateThread(thread_.get(), kStopExitCode);
  thread_.reset();
}

bool CThreadRun::IsRunning() {
  AutoLock lock(lock_);
  return thread_.is_valid();
}

unsigned __stdcall CThreadRun::ThreadProc(void* start_block) {
  std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(start_block));
  CThreadRun* runner = block->runner;
  runner->callback_->Run(runner, block->param);
  AutoLock lock(runner->lock_);
  runner->thread_.reset();
  return 0;
}
