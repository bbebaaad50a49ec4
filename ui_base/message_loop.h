#ifndef UI_BASE_MESSAGE_LOOP_H_
#define UI_BASE_MESSAGE_LOOP_H_

#include <windows.h>

#include <vector>

// Sees every message of the loop before it is translated and dispatched;
// returns true to take it.
class CMessageFilter {
 public:
  virtual ~CMessageFilter() = default;
  virtual bool PreTranslateMessage(MSG* msg) = 0;
};

// Runs when the queue has drained after a burst of input.
class CIdleHandler {
 public:
  virtual ~CIdleHandler() = default;
  virtual bool OnIdle() = 0;
};

// The message loop of one thread. Filters registered last see a message first.
class CMessageLoop {
 public:
  CMessageLoop() = default;
  CMessageLoop(const CMessageLoop&) = delete;
  CMessageLoop& operator=(const CMessageLoop&) = delete;

  void AddMessageFilter(CMessageFilter* filter);
  void RemoveMessageFilter(CMessageFilter* filter);
  void AddIdleHandler(CIdleHandler* handler);
  void RemoveIdleHandler(CIdleHandler* handler);

  // Returns the quit message's exit code.
  int Run();

  // Messages that do not count as input for the idle burst.
  static bool IsIdleMessage(const MSG& msg);

 private:
  bool PreTranslateMessage(MSG* msg);
  void RunIdleHandlers();

  std::vector<CMessageFilter*> filters_;
  std::vector<CIdleHandler*> idle_handlers_;
};

// The application module: which message loop serves which thread.
namespace app_module {
void Init(HINSTANCE instance);
void Term();
HINSTANCE Instance();
bool AddMessageLoop(CMessageLoop* loop);
void RemoveMessageLoop();
// The loop of the calling thread, or null.
CMessageLoop* GetMessageLoop();
}  // namespace app_module

#endif  // UI_BASE_MESSAGE_LOOP_H_
