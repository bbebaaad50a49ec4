#include "tools/stand_in_engine/page_loader.h"

#include "utils/scoped_handle.h"

namespace {

struct LoadTask {
  std::shared_ptr<LoadMailbox> mailbox;
  uint64_t ticket;
  std::vector<std::wstring> urls;
  HMODULE module;  // a reference that keeps this code loaded until the thread ends
};

void RunTask(std::unique_ptr<LoadTask> task) {
  LoadBatch batch;
  batch.ticket = task->ticket;
  for (const std::wstring& url : task->urls)
    batch.pages.push_back(LoadUrl(url));
  task->mailbox->Deliver(std::move(batch));
}

DWORD WINAPI LoadThread(void* parameter) {
  auto task = std::unique_ptr<LoadTask>(static_cast<LoadTask*>(parameter));
  const HMODULE module = task->module;
  RunTask(std::move(task));
  // The DLL may have been released by everyone else meanwhile: drop the last
  // reference only where no code of it runs any more.
  ::FreeLibraryAndExitThread(module, 0);
}

}  // namespace

void LoadMailbox::Deliver(LoadBatch batch) {
  AutoLock hold(lock_);
  if (closed_)
    return;
  batches_.push_back(std::move(batch));
  ::PostMessageW(window_, message_, 0, 0);
}

std::deque<LoadBatch> LoadMailbox::TakeAll() {
  AutoLock hold(lock_);
  return std::exchange(batches_, {});
}

void LoadMailbox::Close() {
  AutoLock hold(lock_);
  closed_ = true;
  batches_.clear();
}

bool StartLoad(std::shared_ptr<LoadMailbox> mailbox,
               uint64_t ticket,
               std::vector<std::wstring> urls) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<const wchar_t*>(&LoadThread), &module)) {
    return false;
  }
  auto task =
      std::make_unique<LoadTask>(LoadTask{std::move(mailbox), ticket, std::move(urls), module});
  unique_handle thread(::CreateThread(nullptr, 0, &LoadThread, task.get(), 0, nullptr));
  if (!thread) {
    ::FreeLibrary(module);
    return false;
  }
  (void)task.release();  // the thread owns it now
  return true;
}
