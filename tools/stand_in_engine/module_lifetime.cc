#include "tools/stand_in_engine/module_lifetime.h"

namespace {

LONG g_users = 0;
HMODULE g_module = nullptr;

}  // namespace

void ModuleAddRef() {
  ::InterlockedIncrement(&g_users);
}

void ModuleRelease() {
  ::InterlockedDecrement(&g_users);
}

bool ModuleInUse() {
  return ::InterlockedCompareExchange(&g_users, 0, 0) != 0;
}

void SetThisModule(HMODULE module) {
  g_module = module;
}

HMODULE ThisModule() {
  return g_module;
}
