#include "host/extension_mode.h"

#include <commctrl.h>
#include <ole2.h>

#include "engine_config/ie_feature_control.h"
#include "engine_config/network_hooks.h"
#include "host_functions/installer.h"
#include "host_functions/system_info.h"
#include "ie_control/ie_control.h"
#include "ie_control/intelliforms_popup_close_guard.h"
#include "ui/skin/skin.h"
#include "ui_base/message_loop.h"
#include "utils/http_client.h"
#include "utils/log_failure.h"

void PrepareExtensionMode(HINSTANCE instance, CookieSink cookie_sink) {
  // Executables set aside by an earlier update are no longer running.
  (void)CleanupStaleCopies();
  IEFeatureControl::GetInstance().Apply();
  // Without the hook the engine's suggestion window is merely unguarded.
  LOG_IF_FALSE(InstallIntelliFormsGuard());
  LOG_IF_FAILED(::OleInitialize(nullptr));
  // Loads user32's window machinery before the first window class exists.
  ::DefWindowProcW(nullptr, 0, 0, 0);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  app_module::Init(instance);
  // Fails only when the class name is taken; frames would then have no page.
  LOG_IF_FALSE(CIEControl::RegisterHostWindowClass());
  // Without a skin the frames show their pages without a banner.
  Skin::StartShared(GetSystemVersion());
  InstallNetworkHooks(cookie_sink);
  // Without it crash reports stay on the machine.
  LOG_IF_FALSE(StartHttpClient());
}
