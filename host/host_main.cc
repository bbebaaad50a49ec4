#include <windows.h>

#include <ole2.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "channel/client_notifications.h"
#include "channel/msg_window.h"
#include "channel/std_handles.h"
#include "channel/write_guard.h"
#include "diagnostics/diagnose.h"
#include "engine_config/hook/hook_engine.h"
#include "engine_config/policy_set.h"
#include "host/cmd_line_parser.h"
#include "host/extension_mode.h"
#include "host/run_mode.h"
#include "host_functions/device_id.h"
#include "host_functions/installer.h"
#include "host_functions/review_settings.h"
#include "host_functions/system_info.h"
#include "ie_control/ie_dev_tools_site.h"
#include "main_frame/main_frame_controller.h"
#include "main_frame/main_frame_controller_manager.h"
#include "ui/skin/skin.h"
#include "ui_base/message_loop.h"
#include "utils/crash_handler.h"
#include "utils/log.h"
#include "utils/log_failure.h"
#include "utils/product_addresses.h"
#include "utils/string_util.h"

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
  CMainFrameControllerManager::GetInstance().services().group_policies = [] {
    std::string text;  // stays empty on a machine without policies
    (void)PolicySet().ReadAndSerialise(&text);
    return text;
  };
  CMainFrameControllerManager::GetInstance().services().device_id = &ComputeDeviceIdentifier;
  CMainFrameControllerManager::GetInstance().services().should_show_review = &ShouldShowReview;
  CMainFrameControllerManager::GetInstance().services().update = [](const UpdateParams& params) {
    const InstallError error =
        InstallFromExtension({params.file_content, params.version, params.md5});
    LOG(DEBUG) << L"CrxUpdate " << static_cast<uint32_t>(error);
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
  const bool attached =
      AttachToolsFromOutside(process_id, reinterpret_cast<HWND>(static_cast<uintptr_t>(window)));
  LOG(DEBUG) << L"AttachTools p:" << process_id << L" h:" << window
             << (attached ? L" SUCCESS" : L" FAILED");
  return ExitCodeFor(RunMode::kDevTools);
}

int RunInstallerMode() {
  const InstallError error = InstallOrUpdate();
  if (error == InstallError::kNone) {
    ::MessageBoxW(::GetDesktopWindow(),
                  L"Congratulations, the installation is complete and you can use TabBridge in "
                  L"your browser",
                  L"Install Complete!", MB_OK | MB_ICONINFORMATION);
  } else {
    const std::wstring text = L"Sorry, the installation failed with error code: " +
                              std::to_wstring(static_cast<uint32_t>(error));
    ::MessageBoxW(::GetDesktopWindow(), text.c_str(), L"Install Error!", MB_OK | MB_ICONERROR);
  }
  return ExitCodeFor(RunMode::kInstaller);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  // Registered first so that it runs after every process-wide object is gone.
  std::atexit(&CloseChannelHandles);
  DetachStdHandles();
  // Without the hook the detached handles alone keep others off the channel.
  LOG_IF_FALSE(InstallWriteGuard());
  // Without the hook a later caller could take the filter away again.
  LOG_IF_FALSE(InstallCrashHandler(
      &HookExport, {kHostVersion, GetSystemVersion(), Utf8ToWide(kReportEndpoint)}));

  const CCmdLineParser parser(command_line, /*case_sensitive=*/false);
  switch (ChooseRunMode(parser)) {
    case RunMode::kExtension:
      return RunExtensionMode(instance);
    case RunMode::kDevTools:
      return RunDevToolsMode(parser);
    case RunMode::kDiagnose:
      return RunDiagnostics(ChannelOutputHandle());
    case RunMode::kInstaller:
      return RunInstallerMode();
  }
  return ExitCodeFor(RunMode::kInstaller);
}
