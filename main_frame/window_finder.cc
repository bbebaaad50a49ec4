#include "main_frame/window_finder.h"

#include <cwchar>

#include "main_frame/tab_geometry.h"

namespace {

// What the searches read of a window's text and class name.
constexpr int kTextBufferSize = 260;

std::wstring FoldCase(std::wstring text) {
  if (!text.empty())
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Empty when the window has no text or cannot be read (it may be gone).
std::wstring WindowText(HWND window) {
  wchar_t text[kTextBufferSize] = L"";
  const int length = ::GetWindowTextW(window, text, kTextBufferSize);
  return std::wstring(text, length > 0 ? length : 0);
}

std::wstring ClassName(HWND window) {
  wchar_t name[kTextBufferSize] = L"";
  const int length = ::GetClassNameW(window, name, kTextBufferSize);
  return std::wstring(name, length > 0 ? length : 0);
}

bool Matches(HWND window, const FindWindowSpec& spec) {
  if ((::IsWindowVisible(window) != FALSE) != spec.visible)
    return false;
  if (!spec.title_part.empty()) {
    const std::wstring text = WindowText(window);
    if (text.empty() || FoldCase(text).find(FoldCase(spec.title_part)) == std::wstring::npos)
      return false;
  }
  if (!spec.class_name.empty()) {
    const std::wstring name = ClassName(window);
    if (name.empty() || FoldCase(name) != FoldCase(spec.class_name))
      return false;
  }
  return true;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM search) {
  auto* spec = reinterpret_cast<FindWindowSpec*>(search);
  if (!Matches(window, *spec))
    return TRUE;
  spec->result = window;
  return FALSE;
}

}  // namespace

HWND FindTopLevelWindow(FindWindowSpec* spec) {
  spec->result = nullptr;
  ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(spec));
  return spec->result;
}

HWND FindChildWindow(HWND parent, FindWindowSpec* spec) {
  spec->result = nullptr;
  // Without a parent the system would enumerate the top-level windows.
  if (!parent)
    return nullptr;
  ::EnumChildWindows(parent, &MatchWindow, reinterpret_cast<LPARAM>(spec));
  return spec->result;
}

HWND FindRenderWidget(HWND browser, int width, int height) {
  for (HWND child = ::GetWindow(browser, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = {};
    if (::IsWindow(child) && ::IsWindowVisible(child) && ClassName(child) == kRenderWidgetClass &&
        ::GetWindowRect(child, &rect) &&
        RenderSizeMatches(width, height, rect.right - rect.left, rect.bottom - rect.top)) {
      return child;
    }
  }
  return nullptr;
}
