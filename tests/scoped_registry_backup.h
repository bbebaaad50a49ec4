#ifndef TESTS_SCOPED_REGISTRY_BACKUP_H_
#define TESTS_SCOPED_REGISTRY_BACKUP_H_

#include <windows.h>

#include <string>

// Puts a key back as it was when the scope ends, everything below it
// included, so that a test may delete or fill it freely; when it did not
// exist, its absence and that of any parents created since.
class ScopedRegistryKeyBackup {
 public:
  ScopedRegistryKeyBackup(HKEY root, std::wstring subkey);
  ~ScopedRegistryKeyBackup();
  ScopedRegistryKeyBackup(const ScopedRegistryKeyBackup&) = delete;
  ScopedRegistryKeyBackup& operator=(const ScopedRegistryKeyBackup&) = delete;

 private:
  HKEY root_;
  std::wstring subkey_;
  std::wstring saved_;         // where the tree waits meanwhile, if there was one
  std::wstring missing_root_;  // what to delete when there was none
};

#endif  // TESTS_SCOPED_REGISTRY_BACKUP_H_
