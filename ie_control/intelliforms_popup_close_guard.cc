#include "ie_control/intelliforms_popup_close_guard.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "engine_config/hook/hook_engine.h"
#include "ie_control/intelliforms_popup_rule.h"
#include "utils/log.h"

namespace {

decltype(&::CreateWindowExW) g_real_create_window = nullptr;
bool g_installed = false;
std::atomic<uint32_t> g_close_tick{0};

HWND WINAPI GuardedCreateWindowExW(DWORD ex_style,
                                   const wchar_t* class_name,
                                   const wchar_t* window_name,
                                   DWORD style,
                                   int x,
                                   int y,
                                   int width,
                                   int height,
                                   HWND parent,
                                   HMENU menu,
                                   HINSTANCE instance,
                                   void* param) {
  if (!g_real_create_window)
    return nullptr;
  // Cheapest tests first: this runs for every window of the process.
  if (IsIntelliFormsPopup(class_name, window_name)) {
    const std::optional<uint32_t> elapsed =
        ElapsedWithinCloseGuard(g_close_tick.load(std::memory_order_relaxed), ::GetTickCount());
    if (elapsed && IsAddressInModule(L"ieframe.dll", __builtin_return_address(0))) {
      LOG(DEBUG) << L"IntelliFormsPopupCloseGuard Block CreateWindowExW elapsed " << *elapsed;
      return nullptr;
    }
  }
  return g_real_create_window(ex_style, class_name, window_name, style, x, y, width, height, parent,
                              menu, instance, param);
}

}  // namespace

bool InstallIntelliFormsGuard() {
  // Start-up runs this on the user-interface thread before any other exists.
  if (g_installed)
    return false;
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (!user32)
    return false;
  g_installed =
      HookExport(user32, "CreateWindowExW", &GuardedCreateWindowExW, &g_real_create_window);
  return g_installed;
}

void MarkPopupClose() {
  const uint32_t tick = ::GetTickCount();
  g_close_tick.store(tick, std::memory_order_relaxed);
  LOG(DEBUG) << L"IntelliFormsPopupCloseGuard MarkPopupClose tick " << tick;
}
