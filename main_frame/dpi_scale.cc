#include "main_frame/dpi_scale.h"

#include <string>
#include <vector>

#include "main_frame/dpi_query.h"
#include "utils/scoped_handle.h"

namespace {

constexpr int kDefaultScale = 100;
// MDT_EFFECTIVE_DPI of shellscalingapi.h, which predates this SDK's target.
constexpr int kEffectiveDpi = 0;

struct DcTraits {
  struct Handle {
    HWND window;
    HDC dc;
  };
  static Handle Invalid() { return {nullptr, nullptr}; }
  static bool IsValid(const Handle& h) { return h.dc != nullptr; }
  static void Close(const Handle& h) { ::ReleaseDC(h.window, h.dc); }
};

struct FileVersion {
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long build = 0;
};

FileVersion NtdllVersion() {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  const std::wstring path = std::wstring(folder, length) + L"\\ntdll.dll";
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size) ||
      fixed_size < sizeof(*fixed)) {
    return {};
  }
  return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
          HIWORD(fixed->dwFileVersionLS)};
}

template <typename Function>
Function LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

int ScaleOfWindow(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  const unique_hmodule user32(::LoadLibraryW(L"User32.dll"));
  const auto get_dpi =
      user32 ? LookUp<GetDpiForWindowFunction>(user32.get(), "GetDpiForWindow") : nullptr;
  return get_dpi ? DpiToPercent(static_cast<int>(get_dpi(window))) : kDefaultScale;
}

int ScaleOfMonitor(HWND window) {
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const unique_hmodule shcore(::LoadLibraryW(L"Shcore.dll"));
  const auto get_dpi =
      shcore ? LookUp<GetDpiForMonitorFunction>(shcore.get(), "GetDpiForMonitor") : nullptr;
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  if (!get_dpi || FAILED(get_dpi(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), kEffectiveDpi,
                                 &dpi_x, &dpi_y))) {
    return kDefaultScale;
  }
  return DpiToPercent(static_cast<int>(dpi_x));
}

int ScaleOfDeviceContext(HWND window) {
  const UniqueAny<DcTraits> dc(DcTraits::Handle{window, ::GetDC(window)});
  return dc ? DpiToPercent(::GetDeviceCaps(dc.get().dc, LOGPIXELSX)) : kDefaultScale;
}

}  // namespace

int GetDpiScale(HWND window) {
  const FileVersion version = NtdllVersion();
  switch (ChooseDpiQuery(version.major, version.minor, version.build)) {
    case DpiQuery::kNone:
      return kDefaultScale;
    case DpiQuery::kWindow:
      return ScaleOfWindow(window);
    case DpiQuery::kMonitor:
      return ScaleOfMonitor(window);
    case DpiQuery::kDeviceContext:
      return ScaleOfDeviceContext(window);
  }
  return kDefaultScale;
}
