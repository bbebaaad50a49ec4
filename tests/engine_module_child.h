#ifndef TESTS_ENGINE_MODULE_CHILD_H_
#define TESTS_ENGINE_MODULE_CHILD_H_

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/outside_caller/outside_caller.h"
#include "tests/scoped_registry_backup.h"

// A copy of the test program named `child_name`, in a folder of its own, for
// which Wine loads the engine module `module` (say "urlmon.dll") from a copy
// of the outside caller beside it. For hooks that stay for good and tell the
// engine's calls from others' by the calling module.
class EngineModuleChild {
 public:
  EngineModuleChild(const std::wstring& child_name, const std::wstring& module);
  ~EngineModuleChild();

  [[nodiscard]] bool ok() const { return ok_; }
  std::optional<DWORD> Run(const char* routine) const;

 private:
  ScopedRegistryKeyBackup overrides_;
  std::filesystem::path folder_;
  std::filesystem::path program_;
  bool ok_ = false;
};

// In the child: the outside caller as the engine module and under its own
// name; nothing when either is missing.
struct EngineAndOtherCaller {
  OutsideCaller engine;
  OutsideCaller other;
};
std::optional<EngineAndOtherCaller> LoadEngineAndOtherCaller(const std::wstring& module);

#endif  // TESTS_ENGINE_MODULE_CHILD_H_
