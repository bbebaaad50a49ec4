// A stand-in for the browser's window structure, for tests and the demo: a
// top-level window with the given title, holding a "Chrome_RenderWidgetHostHWND"
// child (the tab's content) and an "Intermediate D3D Window" child.
//
// Driven through stdin, one command per line; each command answers one JSON
// line on stdout:
//   title TEXT            retitle the top-level window
//   move X Y W H          place the top-level window (screen coordinates)
//   render X Y W H        place the render window (client coordinates)
//   render-hide|render-show
//   minimize|restore|foreground|close
//   post-close HWND       post WM_CLOSE to a window (decimal handle)
//   keys                  key-down/up messages the top-level window received
//   rects                 the windows' rectangles and the direct children,
//                         each with its own children
//   popups CLASS          the shown top-level windows of a class (menus are
//                         "#32768")
//   boxes                 the message boxes on the desktop: caption and text
//   quit                  end the program
// Start: stand_in_browser.exe TITLE X Y W H RENDER_X RENDER_Y RENDER_W RENDER_H
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <sstream>
#include <string>
#include <vector>

#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

constexpr UINT kRunCommand = WM_APP + 1;

HWND g_top = nullptr;
HWND g_render = nullptr;
HWND g_d3d = nullptr;
HWND g_control = nullptr;         // receives the commands; outlives the top window
std::vector<std::string> g_keys;  // "down:27:65537" for each key message

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (char c : WideToUtf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonRect(const RECT& r) {
  std::ostringstream out;
  out << "[" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "]";
  return out.str();
}

std::string Describe(HWND hwnd, bool with_children = false) {
  wchar_t class_name[260] = {};
  wchar_t text[260] = {};
  ::GetClassNameW(hwnd, class_name, 260);
  ::GetWindowTextW(hwnd, text, 260);
  RECT rect = {};
  ::GetWindowRect(hwnd, &rect);
  std::ostringstream out;
  out << "{\"hwnd\":" << reinterpret_cast<uintptr_t>(hwnd)
      << ",\"class\":" << JsonString(class_name) << ",\"text\":" << JsonString(text)
      << ",\"rect\":" << JsonRect(rect)
      << ",\"visible\":" << (::IsWindowVisible(hwnd) ? "true" : "false")
      << ",\"style\":" << static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_STYLE))
      << ",\"exstyle\":" << static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
  if (with_children) {
    out << ",\"children\":[";
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      out << (child == ::GetWindow(hwnd, GW_CHILD) ? "" : ",") << Describe(child);
    out << "]";
  }
  out << "}";
  return out.str();
}

std::string Rects() {
  RECT top = {};
  ::GetWindowRect(g_top, &top);
  POINT origin = {0, 0};
  ::ClientToScreen(g_top, &origin);
  std::ostringstream out;
  out << "{\"ok\":true,\"top_hwnd\":" << reinterpret_cast<uintptr_t>(g_top)
      << ",\"top\":" << JsonRect(top) << ",\"client_origin\":[" << origin.x << "," << origin.y
      << "],\"render\":" << Describe(g_render) << ",\"children\":[";
  bool first = true;
  for (HWND child = ::GetWindow(g_top, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    out << (first ? "" : ",") << Describe(child, /*with_children=*/true);
    first = false;
  }
  out << "],\"foreground\":" << reinterpret_cast<uintptr_t>(::GetForegroundWindow())
      << ",\"focus_top\":" << reinterpret_cast<uintptr_t>(::GetAncestor(::GetFocus(), GA_ROOT))
      << "}";
  return out.str();
}

struct PopupQuery {
  std::wstring class_name;
  std::string list;
};

BOOL CALLBACK AddPopup(HWND hwnd, LPARAM query_address) {
  auto& query = *reinterpret_cast<PopupQuery*>(query_address);
  wchar_t class_name[64] = {};
  ::GetClassNameW(hwnd, class_name, 64);
  if (query.class_name == class_name && ::IsWindowVisible(hwnd))
    query.list += (query.list.empty() ? "" : ",") + Describe(hwnd);
  return TRUE;
}

BOOL CALLBACK AddBox(HWND hwnd, LPARAM list) {
  wchar_t class_name[16] = {};
  ::GetClassNameW(hwnd, class_name, 16);
  if (std::wcscmp(class_name, L"#32770") != 0 || !::IsWindowVisible(hwnd))
    return TRUE;
  // A message box shows its text in the static control of this id.
  constexpr int kMessageBoxTextId = 0xFFFF;
  wchar_t caption[260] = {};
  wchar_t text[1024] = {};
  ::GetWindowTextW(hwnd, caption, 260);
  ::GetDlgItemTextW(hwnd, kMessageBoxTextId, text, 1024);
  auto& out = *reinterpret_cast<std::string*>(list);
  out += std::string(out.back() == '[' ? "" : ",") +
         "{\"hwnd\":" + std::to_string(reinterpret_cast<uintptr_t>(hwnd)) +
         ",\"caption\":" + JsonString(caption) + ",\"text\":" + JsonString(text) + "}";
  return TRUE;
}

// Runs one command on the window thread; returns its JSON answer.
std::string Execute(const std::wstring& line) {
  std::wistringstream in(line);
  std::wstring verb;
  in >> verb;
  int x = 0, y = 0, w = 0, h = 0;
  if (verb == L"title") {
    std::wstring text = line.size() > 6 ? line.substr(6) : L"";
    ::SetWindowTextW(g_top, text.c_str());
  } else if (verb == L"move" && (in >> x >> y >> w >> h)) {
    ::MoveWindow(g_top, x, y, w, h, TRUE);
  } else if (verb == L"render" && (in >> x >> y >> w >> h)) {
    ::MoveWindow(g_render, x, y, w, h, TRUE);
  } else if (verb == L"render-hide") {
    ::ShowWindow(g_render, SW_HIDE);
  } else if (verb == L"render-show") {
    ::ShowWindow(g_render, SW_SHOWNA);
  } else if (verb == L"minimize") {
    ::ShowWindow(g_top, SW_MINIMIZE);
  } else if (verb == L"restore") {
    ::ShowWindow(g_top, SW_RESTORE);
  } else if (verb == L"foreground") {
    ::SetForegroundWindow(g_top);
  } else if (verb == L"post-close") {
    unsigned long long handle = 0;
    in >> handle;
    const bool posted =
        ::PostMessageW(reinterpret_cast<HWND>(static_cast<uintptr_t>(handle)), WM_CLOSE, 0, 0);
    return posted ? "{\"ok\":true}" : "{\"ok\":false,\"error\":\"post failed\"}";
  } else if (verb == L"keys") {
    std::string out = "{\"ok\":true,\"keys\":[";
    for (size_t i = 0; i < g_keys.size(); ++i)
      out += (i ? ",\"" : "\"") + g_keys[i] + "\"";
    return out + "]}";
  } else if (verb == L"boxes") {
    std::string out = "{\"ok\":true,\"boxes\":[";
    ::EnumWindows(&AddBox, reinterpret_cast<LPARAM>(&out));
    return out + "]}";
  } else if (verb == L"popups") {
    PopupQuery query;
    in >> query.class_name;
    ::EnumWindows(&AddPopup, reinterpret_cast<LPARAM>(&query));
    return "{\"ok\":true,\"popups\":[" + query.list + "]}";
  } else if (verb == L"close") {
    ::DestroyWindow(g_top);
    return "{\"ok\":true}";
  } else if (verb == L"quit") {
    ::PostQuitMessage(0);
    return "{\"ok\":true}";
  } else if (verb != L"rects") {
    return "{\"ok\":false,\"error\":\"unknown command\"}";
  }
  if (!::IsWindow(g_top))
    return "{\"ok\":false,\"error\":\"closed\"}";
  return Rects();
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunCommand) {
    auto* line = reinterpret_cast<std::wstring*>(wparam);
    *reinterpret_cast<std::string*>(lparam) = Execute(*line);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK TopProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP) {
    g_keys.push_back(std::string(message == WM_KEYDOWN ? "down:" : "up:") + std::to_string(wparam) +
                     ":" + std::to_string(lparam));
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK RenderProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd, &paint);
    RECT rect;
    ::GetClientRect(hwnd, &rect);
    HBRUSH brush = ::CreateSolidBrush(RGB(0x40, 0x70, 0xB0));
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::DrawTextW(dc, L"browser tab content", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::EndPaint(hwnd, &paint);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

bool Register(const wchar_t* name, WNDPROC proc, int color) {
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.lpfnWndProc = proc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = ::GetSysColorBrush(color);
  window_class.lpszClassName = name;
  return ::RegisterClassExW(&window_class) != 0;
}

DWORD WINAPI ReadCommands(void* stdin_handle) {
  std::string pending;
  char buffer[512];
  DWORD read = 0;
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  while (::ReadFile(stdin_handle, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    pending.append(buffer, read);
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      std::wstring wide = Utf8ToWide(line);
      std::string answer;
      ::SendMessageW(g_control, kRunCommand, reinterpret_cast<WPARAM>(&wide),
                     reinterpret_cast<LPARAM>(&answer));
      if (answer.empty())
        answer = "{\"ok\":false,\"error\":\"closed\"}";
      answer += "\n";
      DWORD written = 0;
      ::WriteFile(out, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    }
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argc < 10)
    return 2;
  const auto arg = [&](int i) { return static_cast<int>(std::wcstol(argv[i], nullptr, 10)); };
  // Rectangles of other processes' windows in real pixels, whatever the DPI.
  ::SetProcessDPIAware();

  Register(L"StandInBrowserControl", ControlProc, COLOR_WINDOW);
  Register(L"Chrome_WidgetWin_1", TopProc, COLOR_BTNFACE);
  Register(L"Chrome_RenderWidgetHostHWND", RenderProc, COLOR_WINDOW);
  Register(L"Intermediate D3D Window", DefWindowProcW, COLOR_WINDOW);
  g_control = ::CreateWindowExW(0, L"StandInBrowserControl", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, instance, nullptr);
  g_top = ::CreateWindowExW(0, L"Chrome_WidgetWin_1", argv[1],
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, arg(2), arg(3),
                            arg(4), arg(5), nullptr, nullptr, instance, nullptr);
  g_d3d = ::CreateWindowExW(0, L"Intermediate D3D Window", L"", WS_CHILD | WS_VISIBLE, 0, 0, arg(4),
                            arg(5), g_top, nullptr, instance, nullptr);
  g_render = ::CreateWindowExW(0, L"Chrome_RenderWidgetHostHWND", L"Chrome Legacy Window",
                               WS_CHILD | WS_VISIBLE, arg(6), arg(7), arg(8), arg(9), g_top,
                               nullptr, instance, nullptr);
  ::LocalFree(argv);
  if (!g_control || !g_top || !g_render || !g_d3d)
    return 3;
  // The render window sits above the compositor child, as in the browser.
  ::SetWindowPos(g_render, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SetForegroundWindow(g_top);

  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  unique_handle reader(::CreateThread(nullptr, 0, &ReadCommands, in, 0, nullptr));
  const std::string ready = Rects() + "\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), ready.data(), static_cast<DWORD>(ready.size()),
              &written, nullptr);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
