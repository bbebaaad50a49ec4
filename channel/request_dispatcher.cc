#include "channel/request_dispatcher.h"

#include <cjson/cJSON.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "channel/client_notifications.h"
#include "channel/native_message.h"
#include "channel/request_params.h"
#include "utils/string_util.h"

namespace {

using Delegate = NativeMessage::Delegate;

struct JsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};

// Typed access to the members of a request. Names match without ASCII case
// and the first occurrence wins (cJSON's lookup); a member of another type
// counts as absent.
class Request {
 public:
  explicit Request(const cJSON* root) : root_(root) {}

  std::optional<int> Number(const char* name) const {
    const cJSON* item = cJSON_GetObjectItem(root_, name);
    // valueint is the value truncated toward zero, saturated to the int range.
    return cJSON_IsNumber(item) ? std::optional<int>(item->valueint) : std::nullopt;
  }
  int Number(const char* name, int fallback) const { return Number(name).value_or(fallback); }

  std::optional<bool> Bool(const char* name) const {
    const cJSON* item = cJSON_GetObjectItem(root_, name);
    return cJSON_IsBool(item) ? std::optional<bool>(cJSON_IsTrue(item)) : std::nullopt;
  }
  bool Bool(const char* name, bool fallback) const { return Bool(name).value_or(fallback); }

  std::optional<std::string> String(const char* name) const {
    const char* value = cJSON_GetStringValue(cJSON_GetObjectItem(root_, name));
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  std::string String(const char* name, const char* fallback) const {
    return String(name).value_or(fallback);
  }

 private:
  const cJSON* root_;
};

template <typename... T>
bool AllPresent(const std::optional<T>&... fields) {
  return (fields.has_value() && ...);
}

void Create(const Request& request, Delegate& delegate) {
  const auto width = request.Number("width");
  const auto height = request.Number("height");
  auto port = request.String("port");
  const auto session_id = request.Number("session_id");
  auto title = request.String("title");
  auto url = request.String("url");
  if (!AllPresent(width, height, port, session_id, title, url) || port->empty())
    return;
  CreateParams params;
  params.width = *width;
  params.height = *height;
  params.port = *std::move(port);
  params.session_id = *session_id;
  params.title = *std::move(title);
  params.url = *std::move(url);
  params.cookie = request.String("cookie", "");
  params.banner = request.Bool("banner", true);
  params.f12 = request.Bool("f12", true);
  params.compatible_mode = request.Number("compatible_mode", kDefaultEmulationMode);
  params.compatible_mode_gp = request.Bool("compatible_mode_gp", false);
  delegate.CrxCreate(params);
}

void Attach(const Request& request, Delegate& delegate) {
  const auto title = request.String("title");
  const auto width = request.Number("width");
  const auto height = request.Number("height");
  const auto frame_id = request.Number("frame_id");
  if (!AllPresent(title, width, height, frame_id))
    return;
  AttachParams params;
  params.title = Utf8ToWide(*title);
  params.width = *width;
  params.height = *height;
  params.frame_id = *frame_id;
  delegate.CrxAttach(params);
}

void Navigate(const Request& request, Delegate& delegate) {
  const auto frame_id = request.Number("frame_id");
  const auto url = request.String("url");
  if (!AllPresent(frame_id, url))
    return;
  NavigateParams params;
  params.frame_id = *frame_id;
  params.url = Utf8ToWide(*url);
  params.cookie = Utf8ToWide(request.String("cookie", ""));
  delegate.CrxNavigate(params);
}

void Ping(const Request& request, Delegate& delegate) {
  PingParams params;
  params.frame_id = request.Number("frame_id", -1);
  params.session_id = request.Number("session_id", -1);
  params.cmd = request.String("cmd", "");
  params.value = request.String("value", "");
  delegate.CrxPing(params);
}

void CheckVersion(const Request& request, Delegate& delegate) {
  const auto session_id = request.Number("session_id");
  auto version = request.String("version");
  if (!AllPresent(session_id, version))
    return;
  CheckVersionParams params;
  params.frame_id = request.Number("frame_id", -1);
  params.session_id = *session_id;
  params.version = *std::move(version);
  delegate.CrxCheckVersion(params);
}

void Update(const Request& request, Delegate& delegate) {
  const auto session_id = request.Number("session_id");
  auto file_content = request.String("file_content");
  auto md5 = request.String("md5");
  auto version = request.String("version");
  if (!AllPresent(session_id, file_content, md5, version))
    return;
  UpdateParams params;
  params.frame_id = request.Number("frame_id", -1);
  params.session_id = *session_id;
  // The content may be large: moved, never copied again.
  params.file_content = *std::move(file_content);
  params.md5 = *std::move(md5);
  params.version = *std::move(version);
  delegate.CrxUpdate(params);
}

// Requests that carry only a frame id, all of it required.
template <bool (Delegate::*kMethod)(int)>
void ForFrame(const Request& request, Delegate& delegate) {
  if (const auto frame_id = request.Number("frame_id"))
    (delegate.*kMethod)(*frame_id);
}

// Requests that carry an optional frame id and an optional session id.
template <bool (Delegate::*kMethod)(int, int)>
void ForFrameAndSession(const Request& request, Delegate& delegate) {
  (delegate.*kMethod)(request.Number("frame_id", -1), request.Number("session_id", -1));
}

struct Route {
  const char* action;
  void (*handle)(const Request& request, Delegate& delegate);
};

constexpr Route kRoutes[] = {
    {"host_create", &Create},
    {"host_attach", &Attach},
    {"host_detach", &ForFrame<&Delegate::CrxDetach>},
    {"host_activate",
     [](const Request& request, Delegate& delegate) {
       const auto frame_id = request.Number("frame_id");
       const auto status = request.Number("status");
       if (AllPresent(frame_id, status))
         delegate.CrxActivate(*frame_id, *status != 0);
     }},
    {"host_navigate", &Navigate},
    {"host_resize",
     [](const Request& request, Delegate& delegate) {
       const auto frame_id = request.Number("frame_id");
       const auto width = request.Number("width");
       const auto height = request.Number("height");
       if (AllPresent(frame_id, width, height))
         delegate.CrxReSize(*frame_id, *width, *height);
     }},
    {"host_back", &ForFrame<&Delegate::CrxBack>},
    {"host_forward", &ForFrame<&Delegate::CrxForward>},
    {"host_reload", &ForFrame<&Delegate::CrxReload>},
    {"host_set_emulation",
     [](const Request& request, Delegate& delegate) {
       const auto session_id = request.Number("session_id");
       const auto mode = request.Number("mode");
       if (AllPresent(session_id, mode))
         delegate.CrxSetEmulation(request.Number("frame_id", -1), *session_id, *mode);
     }},
    {"host_ping", &Ping},
    {"host_close",
     [](const Request& request, Delegate& delegate) {
       if (const auto session_id = request.Number("session_id"))
         delegate.CrxClose(request.Number("frame_id", -1), *session_id);
     }},
    {"host_check_version", &CheckVersion},
    {"host_update", &Update},
    {"host_focus", &ForFrame<&Delegate::CrxFocus>},
    {"host_print", &ForFrame<&Delegate::CrxPrint>},
    {"host_ie_options", &ForFrameAndSession<&Delegate::CrxIEOptions>},
    {"host_get_default_emulation",
     [](const Request& request, Delegate& delegate) {
       delegate.CrxGetDefaultEmulation(request.Number("session_id", -1));
     }},
    {"host_group_policies", &ForFrameAndSession<&Delegate::CrxGroupPolicies>},
    {"host_deviceid", &ForFrameAndSession<&Delegate::CrxDeviceId>},
};

const Route* FindRoute(std::string_view action) {
  for (const Route& route : kRoutes) {
    if (EqualsAsciiIgnoreCase(action, route.action))
      return &route;
  }
  return nullptr;
}

}  // namespace

namespace {

void Dispatch(NativeMessage* channel, std::string_view bytes) {
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  // Whatever follows the first value is ignored rather than rejected.
  const std::unique_ptr<cJSON, JsonDeleter> root(
      cJSON_ParseWithLengthOpts(text.data(), text.size(), nullptr, false));
  if (!cJSON_IsObject(root.get()))
    return;
  const Request request(root.get());
  const std::optional<std::string> action = request.String("action");
  if (!action)
    return;

  if (const Route* route = FindRoute(*action)) {
    if (Delegate* delegate = channel->delegate())
      route->handle(request, *delegate);
    return;
  }
  const std::optional<std::string> reply =
      BuildCommonResponse(request.Number("session_id", -1), "unknown");
  // A failed write means the extension is gone; the reader notices and quits.
  if (reply)
    (void)channel->WriteMessage(*reply);
}

}  // namespace

void DispatchRequest(NativeMessage* channel, std::string_view bytes) {
  // Runs inside a window procedure: an exception must not leave it.
  try {
    Dispatch(channel, bytes);
  } catch (const std::bad_alloc&) {
    if (NativeMessage::Delegate* delegate = channel->delegate())
      delegate->OnRequestDropped("DispatchRequest");
  }
}
