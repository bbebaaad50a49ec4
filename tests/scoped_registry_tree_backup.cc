#include "tests/scoped_registry_tree_backup.h"

#include <gtest/gtest.h>

#include <atomic>

#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kSaveFolder[] = L"Software\\tb_win_tests_saved";

std::wstring SaveKeyName() {
  static std::atomic<int> count{0};
  return std::wstring(kSaveFolder) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
         std::to_wstring(count++);
}

bool CopyTree(HKEY from_root, const std::wstring& from, HKEY to_root, const std::wstring& to) {
  unique_hkey source;
  unique_hkey target;
  return ::RegOpenKeyExW(from_root, from.c_str(), 0, KEY_READ, source.put()) == ERROR_SUCCESS &&
         ::RegCreateKeyExW(to_root, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           target.put(), nullptr) == ERROR_SUCCESS &&
         ::RegCopyTreeW(source.get(), nullptr, target.get()) == ERROR_SUCCESS;
}

}  // namespace

ScopedRegistryTreeBackup::ScopedRegistryTreeBackup(HKEY root, std::wstring subkey)
    : key_(root, subkey), root_(root), subkey_(std::move(subkey)) {
  unique_hkey key;
  if (::RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return;
  saved_ = SaveKeyName();
  if (!CopyTree(root_, subkey_, HKEY_CURRENT_USER, saved_))
    ADD_FAILURE() << "cannot save the registry tree";
}

ScopedRegistryTreeBackup::~ScopedRegistryTreeBackup() {
  if (saved_.empty())
    return;  // the key backup removes what was created
  ::RegDeleteTreeW(root_, subkey_.c_str());
  if (!CopyTree(HKEY_CURRENT_USER, saved_, root_, subkey_))
    ADD_FAILURE() << "cannot restore the registry tree";
  ::RegDeleteTreeW(HKEY_CURRENT_USER, saved_.c_str());
  // Fails, as it should, while another backup still waits there.
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kSaveFolder);
}
