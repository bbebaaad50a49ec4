#include "tests/scoped_registry_backup.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kLockTimeoutMs = 30000;

std::vector<std::wstring> ValueNames(HKEY key) {
  std::vector<std::wstring> names;
  DWORD longest = 0;
  if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return names;
  }
  std::wstring name(longest + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (::RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return names;
    }
    names.emplace_back(name.data(), length);
  }
}

// The shortest leading part of `subkey` that does not exist: writing the key
// creates it and everything below.
std::wstring FirstMissingKey(HKEY root, const std::wstring& subkey) {
  for (size_t end = subkey.find(L'\\');; end = subkey.find(L'\\', end + 1)) {
    std::wstring part = subkey.substr(0, end);
    unique_hkey key;
    if (end == std::wstring::npos ||
        ::RegOpenKeyExW(root, part.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
      return part;
    }
  }
}

}  // namespace

ScopedRegistryKeyBackup::ScopedRegistryKeyBackup(HKEY root, std::wstring subkey)
    : lock_(::CreateMutexW(nullptr, FALSE, L"tb_win_tests.registry")),
      root_(root),
      subkey_(std::move(subkey)) {
  const DWORD wait = lock_ ? ::WaitForSingleObject(lock_.get(), kLockTimeoutMs) : WAIT_FAILED;
  locked_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  if (!locked_)
    ADD_FAILURE() << "another test process holds the registry lock";

  unique_hkey key;
  existed_ =
      ::RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
  if (!existed_) {
    missing_root_ = FirstMissingKey(root_, subkey_);
    return;
  }
  for (std::wstring& name : ValueNames(key.get())) {
    Value value{std::move(name), REG_NONE, {}};
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), value.name.c_str(), nullptr, &value.type, nullptr, &size) !=
        ERROR_SUCCESS) {
      continue;
    }
    value.data.resize(size);
    if (::RegQueryValueExW(key.get(), value.name.c_str(), nullptr, &value.type, value.data.data(),
                           &size) == ERROR_SUCCESS) {
      value.data.resize(size);
      values_.push_back(std::move(value));
    }
  }
}

ScopedRegistryKeyBackup::~ScopedRegistryKeyBackup() {
  Restore();
  if (locked_)
    ::ReleaseMutex(lock_.get());
}

void ScopedRegistryKeyBackup::Restore() {
  if (!existed_) {
    ::RegDeleteTreeW(root_, missing_root_.c_str());
    return;
  }
  unique_hkey key;
  if (::RegCreateKeyExW(root_, subkey_.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot restore the registry key";
    return;
  }
  for (const std::wstring& name : ValueNames(key.get()))
    ::RegDeleteValueW(key.get(), name.c_str());
  for (const Value& value : values_) {
    ::RegSetValueExW(key.get(), value.name.c_str(), 0, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size()));
  }
}
