#include "tools/stand_in_engine/emulation_setting.h"

#include <windows.h>

#include <shlwapi.h>

#include <string>

#include "tools/stand_in_engine/document_mode.h"
#include "tools/stand_in_engine/journal.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kFeatureControlKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl";
constexpr wchar_t kEmulationFeature[] = L"FEATURE_BROWSER_EMULATION";

std::wstring HostExecutableName() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return std::wstring();
  return ::PathFindFileNameW(path);
}

std::optional<uint32_t> ReadHive(HKEY hive, const std::wstring& value_name) {
  unique_hkey feature_control;
  if (::RegOpenKeyExW(hive, kFeatureControlKey, 0, KEY_READ, feature_control.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  unique_hkey feature;
  if (::RegOpenKeyExW(feature_control.get(), kEmulationFeature, 0, KEY_READ, feature.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(feature.get(), value_name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value) || !IsKnownEmulation(value)) {
    return std::nullopt;
  }
  return value;
}

EmulationSetting ReadEmulationSetting() {
  const std::wstring name = HostExecutableName();
  if (name.empty())
    return {};
  if (const std::optional<uint32_t> value = ReadHive(HKEY_LOCAL_MACHINE, name))
    return {value, L"HKLM"};
  if (const std::optional<uint32_t> value = ReadHive(HKEY_CURRENT_USER, name))
    return {value, L"HKCU"};
  return {};
}

}  // namespace

const EmulationSetting& ProcessEmulationSetting() {
  static const EmulationSetting setting = [] {
    const EmulationSetting read = ReadEmulationSetting();
    Journal(L"emulation", {{L"value", read.value ? std::to_wstring(*read.value) : L"none"},
                           {L"hive", read.hive ? read.hive : L"none"}});
    return read;
  }();
  return setting;
}
