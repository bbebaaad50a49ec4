#include "ui/skin/shadow_window.h"

#include "ui/skin/gdi_owners.h"
#include "utils/log_failure.h"

namespace {

constexpr wchar_t kShadowClass[] = L"TabBridge_ShadowWND";

bool RegisterShadowClass() {
  WNDCLASSEXW info = {sizeof(info)};
  info.lpfnWndProc = ::DefWindowProcW;
  info.hInstance = ::GetModuleHandleW(nullptr);
  info.lpszClassName = kShadowClass;
  return ::RegisterClassExW(&info) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool ShadowWindow::Create(HWND shaded) {
  shaded_ = shaded;
  if (!RegisterShadowClass())
    return false;
  // Not owned by the window it shades: an owned window stays above its owner.
  window_.reset(::CreateWindowExW(
      WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kShadowClass,
      nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  return window_.is_valid();
}

void ShadowWindow::Follow() {
  if (!window_)
    return;
  RECT owner = {};
  if (!::IsWindowVisible(shaded_) || ::IsIconic(shaded_) || !::GetWindowRect(shaded_, &owner)) {
    ::ShowWindow(window_.get(), SW_HIDE);
    return;
  }
  const int width = owner.right - owner.left + 2 * size_;
  const int height = owner.bottom - owner.top + 2 * size_;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  unique_memory_dc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc)
    return;
  {
    // GDI+ paints straight into the section's premultiplied pixels.
    Gdiplus::Bitmap pixels(width, height, width * 4, PixelFormat32bppPARGB,
                           static_cast<BYTE*>(bits));
    Gdiplus::Graphics graphics(&pixels);
    hook_->PaintShadow(graphics, {0, 0, width, height});
  }
  const ScopedSelectObject select(dc.get(), bitmap.get());
  POINT origin = {owner.left - size_, owner.top - size_};
  SIZE size = {width, height};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  LOG_IF_WIN32_BOOL_FALSE(::UpdateLayeredWindow(window_.get(), nullptr, &origin, &size, dc.get(),
                                                &source, 0, &blend, ULW_ALPHA));
  // Just behind the window it shades.
  LOG_IF_WIN32_BOOL_FALSE(
      ::SetWindowPos(window_.get(), shaded_, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW));
}
