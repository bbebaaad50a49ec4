#include "tools/stand_in_engine/browser_windows.h"

namespace {

constexpr wchar_t kEmbeddingClass[] = L"Shell Embedding";
constexpr wchar_t kViewClass[] = L"Shell DocObject View";
constexpr wchar_t kServerClass[] = L"Internet Explorer_Server";
constexpr wchar_t kMessageClass[] = L"StandInEngineMessages";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

// The DLL stays loaded for the life of the process (see dll_main.cc), so its
// classes never point into freed code.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<const wchar_t*>(&ThisModule), &module);
  return module;
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

HWND CreateChild(const wchar_t* window_class, DWORD style, const RECT& place, HWND parent) {
  return ::CreateWindowExW(0, window_class, L"", style, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent, nullptr,
                           ThisModule(), nullptr);
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_SIZE)
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  if (HWND child = ::GetWindow(hwnd, GW_CHILD))
    ::MoveWindow(child, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
  return 0;
}

void PaintPage(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  wchar_t caption[256];
  const int length = ::GetWindowTextW(hwnd, caption, 256);
  ::SetBkMode(dc, TRANSPARENT);
  ::InflateRect(&client, -8, -8);
  ::DrawTextW(dc, caption, length, &client, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
}

LRESULT CALLBACK ServerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETTEXT:
      ::InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      PaintPage(hwnd, ::BeginPaint(hwnd, &paint));
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:  // pictures of the frame ask for it
      PaintPage(hwnd, reinterpret_cast<HDC>(wparam));
      return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

bool BrowserWindows::Create(HWND parent, const RECT& position, bool visible) {
  if (!RegisterOnce(kEmbeddingClass, ContainerProc) || !RegisterOnce(kViewClass, ContainerProc) ||
      !RegisterOnce(kServerClass, ServerProc)) {
    return false;
  }
  embedding_.reset(CreateChild(kEmbeddingClass, visible ? kChildStyle : kChildStyle & ~WS_VISIBLE,
                               position, parent));
  const RECT inside = {0, 0, position.right - position.left, position.bottom - position.top};
  HWND view = embedding_ ? CreateChild(kViewClass, kChildStyle, inside, embedding_.get()) : nullptr;
  server_ = view ? CreateChild(kServerClass, kChildStyle | WS_TABSTOP, inside, view) : nullptr;
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
  ::MoveWindow(embedding(), position.left, position.top, position.right - position.left,
               position.bottom - position.top, TRUE);
}

void BrowserWindows::SetVisible(bool visible) {
  ::ShowWindow(embedding(), visible ? SW_SHOWNA : SW_HIDE);
}

void BrowserWindows::SetCaption(std::wstring caption) {
  caption_ = std::move(caption);
  if (exists())
    ::SetWindowTextW(server_, caption_.c_str());
}

bool MessageWindow::Create(std::function<void(UINT message)> handler) {
  if (!RegisterOnce(kMessageClass, &MessageWindow::WindowProc))
    return false;
  handler_ = std::move(handler);
  window_.reset(CreateChild(kMessageClass, 0, RECT{}, HWND_MESSAGE));
  if (window_)
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return window_.is_valid();
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || message < WM_APP || message > 0xBFFF)
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  self->handler_(message);
  return 0;
}
