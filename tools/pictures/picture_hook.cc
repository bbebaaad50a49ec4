// Loaded into the process that owns a window by a hook of the picture tool:
// there the window can draw into a device context, which it cannot across
// processes. The tool sends the window kPictureMessage with a global atom
// naming the bitmap file to write.
#include <windows.h>

#include "tools/pictures/picture_message.h"
#include "tools/pictures/window_drawing.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK
    PictureHook(int code, WPARAM wparam, LPARAM lparam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent->message == PictureMessage()) {
    wchar_t path[MAX_PATH] = {};
    RECT rect = {};
    Canvas canvas;
    if (::GlobalGetAtomNameW(static_cast<ATOM>(sent->wParam), path, MAX_PATH) &&
        ::GetWindowRect(sent->hwnd, &rect) &&
        canvas.Create(rect.right - rect.left, rect.bottom - rect.top)) {
      DrawWindowTree(sent->hwnd, canvas.dc());
      (void)canvas.WriteBmp(path);
    }
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}
