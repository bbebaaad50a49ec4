#ifndef TESTS_SCOPED_READ_ONLY_KEY_H_
#define TESTS_SCOPED_READ_ONLY_KEY_H_

#include <windows.h>

#include <string>
#include <vector>

#include "utils/scoped_handle.h"

// Lets everyone only read a key (created when missing) until the scope ends,
// as an administrator's policy or a damaged profile would; then gives it its
// access back. Subkeys that exist already keep theirs. Put it after any
// ScopedRegistryKeyBackup of the key, which needs the access back to restore.
class ScopedReadOnlyKey {
 public:
  ScopedReadOnlyKey(HKEY root, const std::wstring& subkey);
  ~ScopedReadOnlyKey();
  ScopedReadOnlyKey(const ScopedReadOnlyKey&) = delete;
  ScopedReadOnlyKey& operator=(const ScopedReadOnlyKey&) = delete;

  bool ok() const { return ok_; }

 private:
  unique_hkey key_;
  std::vector<BYTE> previous_;  // the key's own security descriptor
  bool ok_ = false;
};

#endif  // TESTS_SCOPED_READ_ONLY_KEY_H_
