#include <windows.h>

#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <string_view>

#include "channel/msg_window.h"
#include "channel/std_handles.h"
#include "channel/write_guard.h"
#include "host/cmd_line_parser.h"
#include "host/extension_mode.h"
#include "host/run_mode.h"
#include "main_frame/main_frame_controller.h"
#include "main_frame/main_frame_controller_manager.h"
#include "ui/skin/skin.h"
#include "ui_base/message_loop.h"
#include "utils/log.h"
#include "utils/log_failure.h"

namespace {

// Runs on the engine's networking threads as well.
void SyncCookie(std::wstring_view url, std::wstring_view cookie, bool http_only) {
  (void)CMainFrameControllerManager::GetInstance().SendCookieSync(url, cookie, http_only);
}

int RunExtensionMode(HINSTANCE instance) {
  PrepareExtensionMode(instance, &SyncCookie);

  CMainFrameControllerManager::GetInstance().services().create_controller = [](int frame_id) {
    return std::make_unique<CMainFrameController>(frame_id,
                                                  &CMainFrameControllerManager::GetInstance());
  };
  RunMessageLoop([] { (void)CMainFrameControllerManager::GetInstance().StartReader(); });

  Skin::EndShared();
  app_module::Term();
  ::OleUninitialize();
  LOG(DEBUG) << L"Process Exit";
  return ExitCodeFor(RunMode::kExtension);
}

int RunDevToolsMode(const CCmdLineParser& parser) {
  const int process_id = ParseLeadingDecimal(parser.GetValue(L"p").value_or(L""));
  const int window = ParseLeadingDecimal(parser.GetValue(L"h").value_or(L""));
  LOG(DEBUG) << L"DevTools attach unavailable p:" << process_id << L" h:" << window;
  return ExitCodeFor(RunMode::kDevTools);
}

int RunInstallerMode() {
  LOG(DEBUG) << L"Installer unavailable";
  return ExitCodeFor(RunMode::kInstaller);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  // Registered first so that it runs after every process-wide object is gone.
  std::atexit(&CloseChannelHandles);
  DetachStdHandles();
  // Without the hook the detached handles alone keep others off the channel.
  LOG_IF_FALSE(InstallWriteGuard());

  const CCmdLineParser parser(command_line, /*case_sensitive=*/false);
  switch (ChooseRunMode(parser)) {
    case RunMode::kExtension:
      return RunExtensionMode(instance);
    case RunMode::kDevTools:
      return RunDevToolsMode(parser);
    case RunMode::kInstaller:
      return RunInstallerMode();
  }
  return ExitCodeFor(RunMode::kInstaller);
}
