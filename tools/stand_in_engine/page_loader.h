#ifndef TOOLS_STAND_IN_ENGINE_PAGE_LOADER_H_
#define TOOLS_STAND_IN_ENGINE_PAGE_LOADER_H_

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "utils/critical_section.h"

// One URL as the engine fetched it.
struct LoadedPage {
  std::wstring url;
  HRESULT error = S_OK;   // an INET_E_ code when nothing came back
  DWORD http_status = 0;  // 0 for anything but HTTP
  std::string body;
};

// The pages of one load, in the order they were asked for.
struct LoadBatch {
  uint64_t ticket = 0;  // the navigation it belongs to
  std::vector<LoadedPage> pages;
};

// Where worker threads leave finished loads for the user-interface thread:
// each delivery is kept and announced by posting `message` to `window`.
// Once closed (its browser is gone) deliveries are dropped, so a worker that
// outlives its browser never touches it.
class LoadMailbox {
 public:
  LoadMailbox(HWND window, UINT message) : window_(window), message_(message) {}

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
// batch: http(s) as a GET through WinINet (so the process's cookie store
// and the host's hooks take part), file URLs from disk, about:blank empty,
// any other scheme INET_E_UNKNOWN_PROTOCOL. False when no thread started.
[[nodiscard]] bool StartLoad(std::shared_ptr<LoadMailbox> mailbox,
                             uint64_t ticket,
                             std::vector<std::wstring> urls);

// `relative` read against the page at `base` by the platform's URL rules;
// unchanged when they cannot be combined.
std::wstring ResolveUrl(const std::wstring& base, const std::wstring& relative);

#endif  // TOOLS_STAND_IN_ENGINE_PAGE_LOADER_H_
