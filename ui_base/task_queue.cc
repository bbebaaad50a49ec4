#include "ui_base/task_queue.h"

#include <algorithm>
#include <utility>

bool TaskQueue::Post(HWND window, Task task) {
  std::lock_guard<std::mutex> lock(lock_);
  posted_.push_back(std::move(task));
  // Under the lock, so that the task dropped on failure is ours.
  if (::PostMessageW(window, wake_up_message_, kPostedWakeUp, 0))
    return true;
  posted_.pop_back();
  return false;
}

bool TaskQueue::Send(HWND window, const Task& task) {
  Sent entry{&task};
  {
    std::lock_guard<std::mutex> lock(lock_);
    sent_.push_back(&entry);
  }
  ::SendMessageW(window, wake_up_message_, kSentWakeUp, 0);
  std::unique_lock<std::mutex> lock(lock_);
  const auto waiting = std::find(sent_.begin(), sent_.end(), &entry);
  if (waiting != sent_.end()) {
    sent_.erase(waiting);
    return false;
  }
  // Another sender's wake-up may have taken ours and still be running it.
  sent_done_.wait(lock, [&entry] { return entry.done; });
  return true;
}

void TaskQueue::OnWakeUp(WPARAM wparam) {
  if (wparam == kPostedWakeUp) {
    Task task;
    {
      std::lock_guard<std::mutex> lock(lock_);
      if (posted_.empty())
        return;
      task = std::move(posted_.front());
      posted_.pop_front();
    }
    task();
    return;
  }
  if (wparam != kSentWakeUp)
    return;
  for (;;) {
    Sent* entry = nullptr;
    {
      std::lock_guard<std::mutex> lock(lock_);
      if (sent_.empty())
        return;
      entry = sent_.front();
      sent_.pop_front();
    }
    (*entry->task)();
    std::lock_guard<std::mutex> lock(lock_);
    entry->done = true;
    sent_done_.notify_all();
  }
}

void TaskQueue::Clear() {
  std::deque<Task> dropped;
  {
    std::lock_guard<std::mutex> lock(lock_);
    dropped.swap(posted_);
  }
}
