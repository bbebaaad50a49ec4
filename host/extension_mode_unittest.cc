#include "host/extension_mode.h"

#include <gtest/gtest.h>

#include "ie_control/intelliforms_popup_close_guard.h"
#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "tests/testing/test_http_server.h"
#include "utils/http_client.h"

namespace {

// The guard's hook is for the life of the process: a child prepares.
TB_CHILD_ROUTINE(PrepareExtensionModeThenInstallTheGuard) {
  PrepareExtensionMode(::GetModuleHandleW(nullptr),
                       [](std::wstring_view, std::wstring_view, bool) {});
  // Refused only because preparing installed it already.
  if (InstallIntelliFormsGuard())
    return 1;
  // Posts fail at once until the HTTP client is started.
  TestHttpServer server;
  std::string response;
  server.Serve("/report", {.body = "ok"});
  return server.Start() && HttpPost(server.Url("/report"), "a=1", &response) ? 0 : 2;
}

TEST(ExtensionModeTest, PreparingInstallsTheSuggestionWindowGuardAndStartsTheHttpClient) {
  // The engine configuration is written under the program's settings.
  const ScopedRegistryKeyBackup settings(HKEY_CURRENT_USER, L"Software\\tabbridge");
  EXPECT_EQ(RunChild(CurrentTestProgram(), "PrepareExtensionModeThenInstallTheGuard"), 0u);
}

}  // namespace
