#ifndef TOOLS_STAND_IN_ENGINE_TESTING_SCOPED_STAND_IN_ENGINE_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_SCOPED_STAND_IN_ENGINE_H_

#include <windows.h>

#include <string>

#include "tests/scoped_registry_backup.h"

// The in-process server key of CLSID_WebBrowser that COM reads (Wine 8
// ignores class registrations in the user's hive).
inline constexpr wchar_t kWebBrowserServerKey[] =
    L"Software\\Classes\\CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}\\InprocServer32";

// stand_in_engine.dll beside the running test program, where the build puts
// both.
std::wstring DefaultStandInDllPath();

// Makes the stand-in engine the WebBrowser control of the machine for the
// life of the object, so that code under test which creates
// CLSID_WebBrowser gets it; afterwards the previous registration (Wine's
// own control) is back. Holds the test processes' registry lock meanwhile.
//
//   ScopedStandInEngine engine;
//   ASSERT_TRUE(engine.registered());
//   ... CoCreateInstance(CLSID_WebBrowser, ...) now makes a stand-in ...
class ScopedStandInEngine {
 public:
  explicit ScopedStandInEngine(std::wstring dll_path = DefaultStandInDllPath());
  ScopedStandInEngine(const ScopedStandInEngine&) = delete;
  ScopedStandInEngine& operator=(const ScopedStandInEngine&) = delete;

  bool registered() const { return registered_; }
  const std::wstring& dll_path() const { return dll_path_; }

 private:
  ScopedRegistryKeyBackup backup_;
  const std::wstring dll_path_;
  bool registered_ = false;
};

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_SCOPED_STAND_IN_ENGINE_H_
