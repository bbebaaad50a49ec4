#ifndef TESTS_SCOPED_REGISTRY_TREE_BACKUP_H_
#define TESTS_SCOPED_REGISTRY_TREE_BACKUP_H_

#include <windows.h>

#include <string>

#include "tests/scoped_registry_backup.h"

// Like ScopedRegistryKeyBackup, but puts back the whole tree below the key,
// subkeys and their values included, so that a test may delete or fill it
// freely. Holds the same lock.
class ScopedRegistryTreeBackup {
 public:
  ScopedRegistryTreeBackup(HKEY root, std::wstring subkey);
  ~ScopedRegistryTreeBackup();
  ScopedRegistryTreeBackup(const ScopedRegistryTreeBackup&) = delete;
  ScopedRegistryTreeBackup& operator=(const ScopedRegistryTreeBackup&) = delete;

 private:
  ScopedRegistryKeyBackup key_;
  HKEY root_;
  std::wstring subkey_;
  std::wstring saved_;  // where the tree waits meanwhile; empty when there was none
};

#endif  // TESTS_SCOPED_REGISTRY_TREE_BACKUP_H_
