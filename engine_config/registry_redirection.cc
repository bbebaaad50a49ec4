#include "engine_config/registry_redirection.h"

#include <windows.h>

#include <string_view>

#include "engine_config/hook/hook_engine.h"
#include "engine_config/registry_options.h"
#include "utils/log_failure.h"
#include "utils/string_util.h"

namespace {

static_assert(kRegSuccess == ERROR_SUCCESS && kRegFileNotFound == ERROR_FILE_NOT_FOUND &&
              kRegMoreData == ERROR_MORE_DATA);
static_assert(kRegSz == REG_SZ && kRegDword == REG_DWORD);

constexpr wchar_t kMainKey[] = L"Software\\tabbridge\\Main\\";
constexpr wchar_t kFeatureKey[] = L"Software\\tabbridge\\Main\\FeatureControl\\";
constexpr std::wstring_view kEngineFeatureControl =
    L"software\\microsoft\\internet explorer\\main\\featurecontrol";
constexpr std::wstring_view kFeaturePrefix = L"feature_";

// Opened once and never closed: the detours may run on any thread for as
// long as the process lives. Null when the key did not exist.
HKEY g_main_key = nullptr;
HKEY g_feature_key = nullptr;

decltype(&::RegOpenKeyExW) g_open_key_w = nullptr;
decltype(&::RegQueryValueExW) g_query_value_w = nullptr;
decltype(&::RegSetValueExW) g_set_value_w = nullptr;
decltype(&::RegOpenKeyExA) g_open_key_a = nullptr;
decltype(&::RegQueryValueExA) g_query_value_a = nullptr;
decltype(&::RegCloseKey) g_close_key = nullptr;

bool StartsWithFeaturePrefix(const wchar_t* subkey) {
  for (size_t i = 0; i < kFeaturePrefix.size(); ++i) {
    if (AsciiToLower(subkey[i]) != kFeaturePrefix[i])
      return false;  // also at the terminating zero of a shorter name
  }
  return true;
}

LSTATUS WINAPI
OpenKeyW(HKEY key, const wchar_t* subkey, DWORD options, REGSAM access, HKEY* result) {
  if (subkey) {
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
      if (EqualsAsciiIgnoreCase(subkey, kEngineFeatureControl)) {
        key = HKEY_CURRENT_USER;
        subkey = kFeatureKey;
      }
    } else if (key && key != g_main_key && key != g_feature_key && g_feature_key &&
               StartsWithFeaturePrefix(subkey)) {
      // Engines that open a feature's key relative to a feature-control key
      // they got some other way.
      key = g_feature_key;
    }
  }
  return g_open_key_w(key, subkey, options, access, result);
}

LSTATUS AnswerOption(const RegistryOption& option,
                     TextWidth width,
                     DWORD* type,
                     BYTE* data,
                     DWORD* size) {
  if (option.kind == RegistryOption::Kind::kAbsent)
    return ERROR_FILE_NOT_FOUND;
  OptionQuery query;
  query.data = data;
  query.size = *size;
  const long status = AnswerOptionQuery(option, width, &query);
  if (type)
    *type = query.type;
  *size = query.size;
  return status;
}

// Whether the detour answers a query itself: an option row, and for rows
// with data a size to report it in.
const RegistryOption* OptionToAnswer(const RegistryOption* option, const DWORD* size) {
  if (!option || (!size && option->kind != RegistryOption::Kind::kAbsent))
    return nullptr;
  return option;
}

LSTATUS WINAPI
QueryValueW(HKEY key, const wchar_t* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) {
  const RegistryOption* option = OptionToAnswer(name ? FindRegistryOption(name) : nullptr, size);
  if (!option)
    return g_query_value_w(key, name, reserved, type, data, size);
  return AnswerOption(*option, TextWidth::kWide, type, data, size);
}

LSTATUS WINAPI
QueryValueA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) {
  const RegistryOption* option = OptionToAnswer(name ? FindRegistryOption(name) : nullptr, size);
  if (!option)
    return g_query_value_a(key, name, reserved, type, data, size);
  return AnswerOption(*option, TextWidth::kAnsi, type, data, size);
}

LSTATUS WINAPI
SetValueW(HKEY key, const wchar_t* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  return g_set_value_w(key, name, reserved, type, data, size);
}

LSTATUS WINAPI OpenKeyA(HKEY key, const char* subkey, DWORD options, REGSAM access, HKEY* result) {
  return g_open_key_a(key, subkey, options, access, result);
}

LSTATUS WINAPI CloseKey(HKEY key) {
  return g_close_key(key);
}

// Created when missing: on a first run the keys appear only later, and a
// redirection without its key would stay off for this whole process.
HKEY OpenOwnKey(const wchar_t* subkey) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, subkey, 0, nullptr, 0,
                        KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

bool ExportsOpenKey(HMODULE module) {
  return module && ::GetProcAddress(module, "RegOpenKeyExW");
}

// The module whose registry functions every other one ends up in.
HMODULE RegistryModule(HMODULE advapi32) {
  const HMODULE kernelbase = ::GetModuleHandleW(L"kernelbase.dll");
  if (ExportsOpenKey(kernelbase))
    return kernelbase;
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  if (ExportsOpenKey(kernel32))
    return kernel32;
  return advapi32;
}

}  // namespace

void InstallRegistryHooks() {
  // Hooking twice would hook the detours themselves.
  static bool installed = false;
  if (installed)
    return;
  installed = true;

  g_main_key = OpenOwnKey(kMainKey);
  g_feature_key = OpenOwnKey(kFeatureKey);

  // Never freed: whichever module is hooked must stay.
  const HMODULE module = RegistryModule(LoadSystemLibrary(L"advapi32.dll"));
  // A function that cannot be hooked keeps working unredirected.
  LOG_IF_FALSE(HookExport(module, "RegOpenKeyExW", &OpenKeyW, &g_open_key_w));
  LOG_IF_FALSE(HookExport(module, "RegQueryValueExW", &QueryValueW, &g_query_value_w));
  LOG_IF_FALSE(HookExport(module, "RegSetValueExW", &SetValueW, &g_set_value_w));
  LOG_IF_FALSE(HookExport(module, "RegOpenKeyExA", &OpenKeyA, &g_open_key_a));
  LOG_IF_FALSE(HookExport(module, "RegQueryValueExA", &QueryValueA, &g_query_value_a));
  LOG_IF_FALSE(HookExport(module, "RegCloseKey", &CloseKey, &g_close_key));
}
