#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <urlmon.h>

#include <string>

#include "engine_config/emulation_mode.h"
#include "engine_config/feature_table.h"
#include "engine_config/hook/hook_engine.h"
#include "engine_config/registry_redirection.h"
#include "host_functions/system_info.h"
#include "utils/log_failure.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kFeatureControlKey[] = L"Software\\tabbridge\\Main\\FeatureControl\\";
constexpr wchar_t kEmulationKey[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

int InstalledEngineVersion() {
  return GetIEMajorVersion();
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

void EnableProcessFeatures() {
  // Never freed: the switches live in urlmon and would go with it.
  const HMODULE urlmon = LoadSystemLibrary(L"urlmon.dll");
  if (!urlmon)
    return;
  const auto set_feature = reinterpret_cast<decltype(&::CoInternetSetFeatureEnabled)>(
      reinterpret_cast<void (*)()>(::GetProcAddress(urlmon, "CoInternetSetFeatureEnabled")));
  if (!set_feature)
    return;
  for (INTERNETFEATURELIST feature :
       {FEATURE_SECURITYBAND, FEATURE_RESTRICT_ACTIVEXINSTALL, FEATURE_MIME_HANDLING}) {
    LOG_IF_FAILED(set_feature(feature, SET_FEATURE_ON_PROCESS, TRUE));
  }
}

void WriteFeatureValues(int engine_version, int emulation) {
  unique_hkey feature_control;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kFeatureControlKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                        feature_control.put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring program = GetProgramFileName();
  for (const FeatureValue& value :
       FeatureValuesForEngine(engine_version, static_cast<uint32_t>(emulation))) {
    unique_hkey feature;
    if (::RegCreateKeyExW(feature_control.get(), value.feature, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, feature.put(), nullptr) != ERROR_SUCCESS) {
      continue;
    }
    SetDword(feature.get(), program.c_str(), value.value);
    SetDword(feature.get(), L"iexplore.exe", value.value);
  }
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

void IEFeatureControl::Apply() {
  // A stored mode that cannot be read leaves the engine's own default.
  (void)GetStoredEmulation(&emulation_);
  engine_version_ = engine_version_provider_();
  InstallRegistryHooks();
  EnableProcessFeatures();
  WriteFeatureValues(engine_version_, emulation_);
}
