#ifndef TOOLS_STAND_IN_ENGINE_BROWSER_WINDOWS_H_
#define TOOLS_STAND_IN_ENGINE_BROWSER_WINDOWS_H_

#include <windows.h>

#include <string>

#include "tools/stand_in_engine/scoped_com.h"

// The control's windows as the engine builds them: "Shell Embedding" in the
// container's window, "Shell DocObject View" inside it and
// "Internet Explorer_Server", which shows the page, inside that; each child
// fills its parent. The page window paints the document's title, so a
// screenshot shows which page is loaded.
class BrowserWindows {
 public:
  BrowserWindows() = default;
  BrowserWindows(const BrowserWindows&) = delete;
  BrowserWindows& operator=(const BrowserWindows&) = delete;

  [[nodiscard]] bool Create(HWND parent, const RECT& position, bool visible);
  void Destroy();
  bool exists() const { return ::IsWindow(embedding_.get()) != FALSE; }

  HWND embedding() const { return embedding_.get(); }
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

void UnregisterBrowserWindowClasses();

#endif  // TOOLS_STAND_IN_ENGINE_BROWSER_WINDOWS_H_
