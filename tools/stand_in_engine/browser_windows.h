#ifndef TOOLS_STAND_IN_ENGINE_BROWSER_WINDOWS_H_
#define TOOLS_STAND_IN_ENGINE_BROWSER_WINDOWS_H_

#include <windows.h>

#include <functional>
#include <string>

#include "utils/scoped_handle.h"

// The control's windows as the engine builds them: "Shell Embedding" in the
// container's window, "Shell DocObject View" inside it and
// "Internet Explorer_Server" inside that; each child fills its parent. The
// page window paints the document's title, so a screenshot shows the page.
class BrowserWindows {
 public:
  [[nodiscard]] bool Create(HWND parent, const RECT& position, bool visible);
  void Destroy();
  bool exists() const { return ::IsWindow(embedding_.get()) != FALSE; }

  HWND embedding() const { return exists() ? embedding_.get() : nullptr; }
  HWND server() const { return exists() ? server_ : nullptr; }

  void SetPosition(const RECT& position);
  void SetVisible(bool visible);
  // Kept for windows created later.
  void SetCaption(std::wstring caption);

 private:
  unique_hwnd embedding_;  // destroys its children with it
  HWND server_ = nullptr;
  std::wstring caption_;
};

// A hidden message-only window that hands the WM_APP messages posted to it
// to `handler` on the thread that created it: how work done elsewhere
// reaches the user-interface thread, where the host expects every event.
class MessageWindow {
 public:
  [[nodiscard]] bool Create(std::function<void(UINT message)> handler);
  HWND hwnd() const { return window_.get(); }
  void Post(UINT message) const { ::PostMessageW(window_.get(), message, 0, 0); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  std::function<void(UINT message)> handler_;
  unique_hwnd window_;
};

#endif  // TOOLS_STAND_IN_ENGINE_BROWSER_WINDOWS_H_
