#include "tools/stand_in_engine/browser_windows.h"

#include "tools/stand_in_engine/module_lifetime.h"

namespace {

constexpr wchar_t kEmbeddingClass[] = L"Shell Embedding";
constexpr wchar_t kViewClass[] = L"Shell DocObject View";
constexpr wchar_t kServerClass[] = L"Internet Explorer_Server";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr COLORREF kCaptionColor = RGB(0x70, 0x70, 0x70);

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SIZE) {
    if (HWND child = ::GetWindow(hwnd, GW_CHILD))
      ::MoveWindow(child, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK ServerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcW(hwnd, message, wparam, lparam);
      ::InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(hwnd, &paint);
      RECT client;
      ::GetClientRect(hwnd, &client);
      ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
      wchar_t caption[256];
      const int length = ::GetWindowTextW(hwnd, caption, 256);
      ::SetTextColor(dc, kCaptionColor);
      ::SetBkMode(dc, TRANSPARENT);
      ::InflateRect(&client, -8, -8);
      ::DrawTextW(dc, caption, length, &client, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

bool RegisterOnce(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ThisModule();
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = name;
  return ::RegisterClassExW(&window_class) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int Width(const RECT& rect) {
  return rect.right - rect.left;
}

int Height(const RECT& rect) {
  return rect.bottom - rect.top;
}

}  // namespace

bool BrowserWindows::Create(HWND parent, const RECT& position, bool visible) {
  if (!RegisterOnce(kEmbeddingClass, ContainerProc) || !RegisterOnce(kViewClass, ContainerProc) ||
      !RegisterOnce(kServerClass, ServerProc)) {
    return false;
  }
  const DWORD embedding_style = visible ? kChildStyle : kChildStyle & ~WS_VISIBLE;
  embedding_.reset(::CreateWindowExW(0, kEmbeddingClass, L"", embedding_style, position.left,
                                     position.top, Width(position), Height(position), parent,
                                     nullptr, ThisModule(), nullptr));
  if (!embedding_)
    return false;
  HWND view = ::CreateWindowExW(0, kViewClass, L"", kChildStyle, 0, 0, Width(position),
                                Height(position), embedding_.get(), nullptr, ThisModule(), nullptr);
  server_ = view ? ::CreateWindowExW(0, kServerClass, L"", kChildStyle | WS_TABSTOP, 0, 0,
                                     Width(position), Height(position), view, nullptr, ThisModule(),
                                     nullptr)
                 : nullptr;
  if (!server_) {
    Destroy();
    return false;
  }
  ::SetWindowTextW(server_, caption_.c_str());
  return true;
}

void BrowserWindows::Destroy() {
  // Gone with the container's window already: nothing of ours to destroy.
  if (!exists())
    (void)embedding_.release();
  embedding_.reset();
  server_ = nullptr;
}

void BrowserWindows::SetPosition(const RECT& position) {
  ::MoveWindow(embedding_.get(), position.left, position.top, Width(position), Height(position),
               TRUE);
}

void BrowserWindows::SetVisible(bool visible) {
  ::ShowWindow(embedding_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

void BrowserWindows::SetCaption(std::wstring caption) {
  caption_ = std::move(caption);
  if (exists())
    ::SetWindowTextW(server_, caption_.c_str());
}

void UnregisterBrowserWindowClasses() {
  for (const wchar_t* name : {kServerClass, kViewClass, kEmbeddingClass})
    ::UnregisterClassW(name, ThisModule());
}
