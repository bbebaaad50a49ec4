#include "ui_base/message_loop.h"

#include <algorithm>
#include <map>

#include "utils/critical_section.h"

namespace {

constexpr UINT kSystemTimerMessage = 0x0118;

template <typename T>
void Remove(std::vector<T*>* list, T* item) {
  list->erase(std::remove(list->begin(), list->end(), item), list->end());
}

}  // namespace

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
  filters_.push_back(filter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  Remove(&filters_, filter);
}

void CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
  idle_handlers_.push_back(handler);
}

void CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
  Remove(&idle_handlers_, handler);
}

bool CMessageLoop::IsIdleMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kSystemTimerMessage:
      return false;
    default:
      return true;
  }
}

bool CMessageLoop::PreTranslateMessage(MSG* msg) {
  // A filter may remove itself (its window closes) while we walk.
  const std::vector<CMessageFilter*> filters(filters_.rbegin(), filters_.rend());
  for (CMessageFilter* filter : filters) {
    if (std::find(filters_.begin(), filters_.end(), filter) != filters_.end() &&
        filter->PreTranslateMessage(msg)) {
      return true;
    }
  }
  return false;
}

void CMessageLoop::RunIdleHandlers() {
  const std::vector<CIdleHandler*> handlers(idle_handlers_);
  for (CIdleHandler* handler : handlers) {
    if (std::find(idle_handlers_.begin(), idle_handlers_.end(), handler) != idle_handlers_.end())
      handler->OnIdle();
  }
}

int CMessageLoop::Run() {
  bool idle = true;
  MSG msg = {};
  for (;;) {
    while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      RunIdleHandlers();
      idle = false;
    }
    const BOOL result = ::GetMessageW(&msg, nullptr, 0, 0);
    if (result == -1)
      continue;
    if (!result)
      break;
    if (!PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (IsIdleMessage(msg))
      idle = true;
  }
  return static_cast<int>(msg.wParam);
}

namespace app_module {
namespace {

struct Module {
  HINSTANCE instance = nullptr;
  CriticalSection lock;
  std::map<DWORD, CMessageLoop*> loops;
};

Module& TheModule() {
  static Module module;
  return module;
}

}  // namespace

void Init(HINSTANCE instance) {
  TheModule().instance = instance;
}

void Term() {
  Module& module = TheModule();
  AutoLock lock(module.lock);
  module.loops.clear();
}

HINSTANCE Instance() {
  return TheModule().instance ? TheModule().instance : ::GetModuleHandleW(nullptr);
}

bool AddMessageLoop(CMessageLoop* loop) {
  Module& module = TheModule();
  AutoLock lock(module.lock);
  return module.loops.emplace(::GetCurrentThreadId(), loop).second;
}

void RemoveMessageLoop() {
  Module& module = TheModule();
  AutoLock lock(module.lock);
  module.loops.erase(::GetCurrentThreadId());
}

CMessageLoop* GetMessageLoop() {
  Module& module = TheModule();
  AutoLock lock(module.lock);
  const auto it = module.loops.find(::GetCurrentThreadId());
  return it == module.loops.end() ? nullptr : it->second;
}

}  // namespace app_module
