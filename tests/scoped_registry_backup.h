#ifndef TESTS_SCOPED_REGISTRY_BACKUP_H_
#define TESTS_SCOPED_REGISTRY_BACKUP_H_

#include <windows.h>

#include <string>
#include <vector>

#include "utils/scoped_handle.h"

// Puts a key back as it was when the scope ends: its own values (subkeys are
// left alone) or, when it did not exist, its absence and that of any parents
// created since. Meanwhile it holds a
// lock shared by all test processes, so tests run in parallel do not see each
// other's settings.
class ScopedRegistryKeyBackup {
 public:
  ScopedRegistryKeyBackup(HKEY root, std::wstring subkey);
  ~ScopedRegistryKeyBackup();
  ScopedRegistryKeyBackup(const ScopedRegistryKeyBackup&) = delete;
  ScopedRegistryKeyBackup& operator=(const ScopedRegistryKeyBackup&) = delete;

 private:
  struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  };

  void Restore();

  unique_handle lock_;
  bool locked_ = false;
  HKEY root_;
  std::wstring subkey_;
  bool existed_ = false;
  std::wstring missing_root_;  // what to delete when the key did not exist
  std::vector<Value> values_;
};

#endif  // TESTS_SCOPED_REGISTRY_BACKUP_H_
