#ifndef ENGINE_CONFIG_HOOK_HOOK_ENGINE_H_
#define ENGINE_CONFIG_HOOK_HOOK_ENGINE_H_

#include <windows.h>

// Inline hooks on functions of this process: the target's first whole
// instructions move into a trampoline and a 5-byte jump to the detour takes
// their place. Hooks are never removed. At most 100 per process.

// On success `*target` becomes the trampoline, through which the detour calls
// the real function; on failure it keeps the target.
[[nodiscard]] bool SetHook(void** target, void* detour);

template <typename Function>
[[nodiscard]] bool SetHook(Function** target, Function* detour) {
  return SetHook(reinterpret_cast<void**>(target), reinterpret_cast<void*>(detour));
}

// Looks the export up and hooks it; `*trampoline` holds the export's address
// on failure (null when the export is missing).
[[nodiscard]] bool HookExport(HMODULE module,
                              const char* export_name,
                              void* detour,
                              void** trampoline);

template <typename Function>
[[nodiscard]] bool HookExport(HMODULE module,
                              const char* export_name,
                              Function* detour,
                              Function** trampoline) {
  return HookExport(module, export_name, reinterpret_cast<void*>(detour),
                    reinterpret_cast<void**>(trampoline));
}

// True when `address` lies inside the loaded image of the named module.
bool IsAddressInModule(const wchar_t* module_name, const void* address);

// Loads a library from the system directory only.
HMODULE LoadSystemLibrary(const wchar_t* file_name);

#endif  // ENGINE_CONFIG_HOOK_HOOK_ENGINE_H_
