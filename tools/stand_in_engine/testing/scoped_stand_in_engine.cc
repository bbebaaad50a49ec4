#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"

#include <shlwapi.h>

#include "utils/scoped_handle.h"

namespace {

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

}  // namespace

std::wstring DefaultStandInDllPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !::PathRemoveFileSpecW(path) ||
      !::PathAppendW(path, L"stand_in_engine.dll")) {
    return std::wstring();
  }
  return path;
}

ScopedStandInEngine::ScopedStandInEngine(std::wstring dll_path)
    : backup_(HKEY_LOCAL_MACHINE, kWebBrowserServerKey), dll_path_(std::move(dll_path)) {
  unique_hkey key;
  registered_ = !dll_path_.empty() &&
                ::GetFileAttributesW(dll_path_.c_str()) != INVALID_FILE_ATTRIBUTES &&
                ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWebBrowserServerKey, 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, key.put(), nullptr) == ERROR_SUCCESS &&
                SetString(key.get(), nullptr, dll_path_) &&
                SetString(key.get(), L"ThreadingModel", L"Apartment");
}
