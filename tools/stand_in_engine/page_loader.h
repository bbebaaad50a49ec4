#ifndef TOOLS_STAND_IN_ENGINE_PAGE_LOADER_H_
#define TOOLS_STAND_IN_ENGINE_PAGE_LOADER_H_

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tools/stand_in_engine/url_loader.h"
#include "utils/critical_section.h"

// The pages of one load, in the order they were asked for.
struct LoadBatch {
  uint64_t ticket = 0;  // the navigation it belongs to
  std::vector<LoadedPage> pages;
};

// Where worker threads leave finished loads for the user-interface thread:
// each delivery is kept and announced by posting `message` to `window`. Once
// closed (its browser is gone) deliveries are dropped, so a worker that
// outlives its browser never touches it.
class LoadMailbox {
 public:
  LoadMailbox(HWND window, UINT message) : window_(window), message_(message) {}
  LoadMailbox(const LoadMailbox&) = delete;
  LoadMailbox& operator=(const LoadMailbox&) = delete;

  void Deliver(LoadBatch batch);
  std::deque<LoadBatch> TakeAll();
  void Close();

 private:
  CriticalSection lock_;
  const HWND window_;
  const UINT message_;
  bool closed_ = false;
  std::deque<LoadBatch> batches_;
};

// Loads `urls` one after another on a new thread and delivers them as one
// batch. False when no thread could be started.
[[nodiscard]] bool StartLoad(std::shared_ptr<LoadMailbox> mailbox,
                             uint64_t ticket,
                             std::vector<std::wstring> urls);

#endif  // TOOLS_STAND_IN_ENGINE_PAGE_LOADER_H_
