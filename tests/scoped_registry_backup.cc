#include "tests/scoped_registry_backup.h"

#include <gtest/gtest.h>

#include <atomic>

#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kSaveFolder[] = L"Software\\tb_win_tests_saved";

bool CopyTree(HKEY from_root, const std::wstring& from, HKEY to_root, const std::wstring& to) {
  unique_hkey source;
  unique_hkey target;
  return ::RegOpenKeyExW(from_root, from.c_str(), 0, KEY_READ, source.put()) == ERROR_SUCCESS &&
         ::RegCreateKeyExW(to_root, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           target.put(), nullptr) == ERROR_SUCCESS &&
         ::RegCopyTreeW(source.get(), nullptr, target.get()) == ERROR_SUCCESS;
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
    : root_(root), subkey_(std::move(subkey)) {
  unique_hkey key;
  if (::RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    missing_root_ = FirstMissingKey(root_, subkey_);
    return;
  }
  static std::atomic<int> count{0};
  saved_ = std::wstring(kSaveFolder) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
           std::to_wstring(count++);
  if (!CopyTree(root_, subkey_, HKEY_CURRENT_USER, saved_))
    ADD_FAILURE() << "cannot save the registry key";
}

ScopedRegistryKeyBackup::~ScopedRegistryKeyBackup() {
  if (saved_.empty()) {
    ::RegDeleteTreeW(root_, missing_root_.c_str());
  } else {
    ::RegDeleteTreeW(root_, subkey_.c_str());
    if (!CopyTree(HKEY_CURRENT_USER, saved_, root_, subkey_))
      ADD_FAILURE() << "cannot restore the registry key";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, saved_.c_str());
    // Fails, as it should, while another backup still waits there.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSaveFolder);
  }
}
