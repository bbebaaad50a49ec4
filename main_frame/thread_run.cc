#include "main_frame/thread_run.h"

#include <process.h>

#include <memory>

struct CThreadRun::StartBlock {
  CThreadRun* runner;
  int param;
};

CThreadRun::~CThreadRun() {
  if (thread_)
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

bool CThreadRun::Start(IThreadRunCallBack* callback, int param) {
  AutoLock lock(lock_);
  if (running_)
    return false;
  callback_ = callback;
  auto block = std::make_unique<StartBlock>(StartBlock{this, param});
  const uintptr_t thread =
      _beginthreadex(nullptr, 0, &CThreadRun::ThreadProc, block.get(), 0, nullptr);
  if (!thread)
    return false;
  (void)block.release();  // the thread frees it
  thread_.reset(reinterpret_cast<HANDLE>(thread));
  running_ = true;
  return true;
}

bool CThreadRun::IsRunning() {
  AutoLock lock(lock_);
  return running_;
}

unsigned __stdcall CThreadRun::ThreadProc(void* start_block) {
  std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(start_block));
  CThreadRun* runner = block->runner;
  runner->callback_->Run(runner, block->param);
  AutoLock lock(runner->lock_);
  runner->running_ = false;
  return 0;
}
