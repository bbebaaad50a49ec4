#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <string>

#include "engine_config/emulation_mode.h"
#include "host_functions/system_info.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kEmulationKey[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

int InstalledEngineVersion() {
  return GetIEMajorVersion();
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace

IEFeatureControl& IEFeatureControl::GetInstance() {
  static IEFeatureControl instance(InstalledEngineVersion);
  return instance;
}

IEFeatureControl::IEFeatureControl(EngineVersionProvider engine_version)
    : engine_version_provider_(engine_version) {}

IEFeatureControl::~IEFeatureControl() = default;

int IEFeatureControl::GetDefaultEmulation() {
  return DefaultEmulationForEngine(engine_version_provider_());
}

bool IEFeatureControl::GetStoredEmulation(int* value) {
  *value = GetDefaultEmulation();
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kEmulationKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD stored = 0;
  DWORD size = sizeof(stored);
  if (::RegQueryValueExW(key.get(), GetProgramFileName().c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&stored), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return false;
  }
  *value = static_cast<int>(stored);
  return true;
}

bool IEFeatureControl::SetEmulation(int value) {
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kEmulationKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  SetDword(key.get(), L"iexplore.exe", static_cast<DWORD>(value));
  return SetDword(key.get(), GetProgramFileName().c_str(), static_cast<DWORD>(value));
}
