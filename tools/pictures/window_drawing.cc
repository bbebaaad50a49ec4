#include "tools/pictures/window_drawing.h"

#include <cstdint>

#include "utils/scoped_handle.h"

namespace {

void DrawAt(HWND window, HDC dc, POINT origin) {
  // Each window starts from a fresh state, as with its own paint DC.
  const int saved = ::SaveDC(dc);
  ::SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  ::RestoreDC(dc, saved);
  HWND top_child = ::GetWindow(window, GW_CHILD);
  for (HWND child = top_child ? ::GetWindow(top_child, GW_HWNDLAST) : nullptr; child;
       child = ::GetWindow(child, GW_HWNDPREV)) {
    if (!::IsWindowVisible(child))
      continue;
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    DrawAt(child, dc, {origin.x + rect.left, origin.y + rect.top});
  }
}

}  // namespace

bool Canvas::Create(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_.reset(::CreateCompatibleDC(nullptr));
  bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
  if (!dc_ || !bitmap_)
    return false;
  ::SelectObject(dc_.get(), bitmap_.get());
  width_ = width;
  height_ = height;
  return true;
}

bool Canvas::WriteBmp(const std::wstring& path) {
  ::GdiFlush();
  // GDI leaves alpha at 0; the picture is opaque.
  auto* pixel = static_cast<uint32_t*>(bits_);
  for (int i = 0; i < width_ * height_; ++i)
    pixel[i] |= 0xFF000000u;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width_;
  header.biHeight = -height_;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const DWORD pixels = static_cast<DWORD>(width_) * height_ * 4;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + pixels;
  unique_handle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return out && ::WriteFile(out.get(), &file, sizeof(file), &written, nullptr) &&
         ::WriteFile(out.get(), &header, sizeof(header), &written, nullptr) &&
         ::WriteFile(out.get(), bits_, pixels, &written, nullptr) && written == pixels;
}

void DrawWindowTree(HWND window, HDC dc) {
  DrawAt(window, dc, {0, 0});
}
