#ifndef MAIN_FRAME_WINDOW_FINDER_H_
#define MAIN_FRAME_WINDOW_FINDER_H_

#include <windows.h>

#include <string>

// Searches of the browser's windows. They belong to another process and may
// vanish at any moment: a window that is gone simply does not match.

inline constexpr wchar_t kRenderWidgetClass[] = L"Chrome_RenderWidgetHostHWND";
inline constexpr wchar_t kCompositorWindowClass[] = L"Intermediate D3D Window";

struct FindWindowSpec {
  // When not empty: the window's text (its first 259 characters) contains
  // it, ignoring case.
  std::wstring title_part;
  // When not empty: the class name equals it, ignoring case.
  std::wstring class_name;
  HWND result = nullptr;
  // The window's visibility must equal this.
  bool visible = true;
};

// The first matching top-level window in z-order, top first; also stored in
// `spec->result`. Null when none matches.
HWND FindTopLevelWindow(FindWindowSpec* spec);

// The first matching descendant of `parent`, at any depth.
HWND FindChildWindow(HWND parent, FindWindowSpec* spec);

// The browser window's direct child that shows a tab of the given size: a
// visible render widget whose window rectangle is within 10 pixels of it
// each way; the highest in z-order wins.
HWND FindRenderWidget(HWND browser, int width, int height);

#endif  // MAIN_FRAME_WINDOW_FINDER_H_
