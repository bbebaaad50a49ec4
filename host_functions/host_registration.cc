#include "host_functions/host_registration.h"

#include <windows.h>

#include <ctime>

#include "host_functions/install_state.h"
#include "utils/log_failure.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

unique_hkey OpenHostKey(bool create) {
  unique_hkey key;
  const LSTATUS status =
      create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, kHostRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, key.put(), nullptr)
             : ::RegOpenKeyExW(HKEY_CURRENT_USER, kHostRegistryKey, 0, KEY_ALL_ACCESS, key.put());
  if (status != ERROR_SUCCESS)
    key.reset();
  return key;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

}  // namespace

bool CreateHostKey() {
  return OpenHostKey(/*create=*/true) && OpenHostKey(/*create=*/false);
}

std::optional<std::wstring> ReadHostValue(const wchar_t* name) {
  constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD size = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, kHostRegistryKey, name, kFlags, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(size / sizeof(wchar_t), L'\0');
  if (::RegGetValueW(HKEY_CURRENT_USER, kHostRegistryKey, name, kFlags, nullptr, value.data(),
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(::wcsnlen(value.c_str(), size / sizeof(wchar_t)));
  return value;
}

bool RegisterManifest(const std::wstring& manifest_path) {
  const unique_hkey key = OpenHostKey(/*create=*/true);
  if (!key || !SetString(key.get(), L"", manifest_path))
    return false;
  // The browser needs only the default value.
  LOG_IF_FALSE(SetString(key.get(), L"extension_id", Utf8ToWide(kExtensionId)));
  const DWORD now = static_cast<DWORD>(std::time(nullptr));
  LOG_IF_FALSE(::RegSetValueExW(key.get(), L"last_update_time", 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&now), sizeof(now)) == ERROR_SUCCESS);
  return true;
}

bool SetRegisteredVersion(const std::wstring& version) {
  const unique_hkey key = OpenHostKey(/*create=*/false);
  return key && SetString(key.get(), L"version", version);
}
