#ifndef UI_BASE_TASK_QUEUE_H_
#define UI_BASE_TASK_QUEUE_H_

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// Work handed to a window's thread. The work stays in this object; the
// window only gets a wake-up message whose parameters hold no pointer, since
// any process on the desktop can post to a window. A wake-up with stray
// parameters runs nothing, or at most our own queued work a little early.
class TaskQueue {
 public:
  using Task = std::function<void()>;

  // The wake-up's wParam.
  static constexpr WPARAM kSentWakeUp = 1;
  static constexpr WPARAM kPostedWakeUp = 2;

  explicit TaskQueue(UINT wake_up_message) : wake_up_message_(wake_up_message) {}
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  // Any thread. Queues `task` behind the others and wakes `window`; false,
  // with nothing kept, when the wake-up could not be posted.
  [[nodiscard]] bool Post(HWND window, Task task);
  // Any thread. Runs `task` on the window's thread ahead of the posted work
  // and returns when it has run; false when the window did not take it.
  // The window must not abandon a sent task (no fault guard around it).
  bool Send(HWND window, const Task& task);
  // The window's handler of the wake-up message.
  void OnWakeUp(WPARAM wparam);
  // Frees the posted work that has not run: the window is gone.
  void Clear();

 private:
  struct Sent {
    const Task* task;
    bool done = false;
  };

  const UINT wake_up_message_;
  std::mutex lock_;
  std::condition_variable sent_done_;
  std::deque<Task> posted_;
  std::deque<Sent*> sent_;
};

#endif  // UI_BASE_TASK_QUEUE_H_
