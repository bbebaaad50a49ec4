#include "channel/client_notifications.h"

#include <cjson/cJSON.h>

#include <memory>

namespace {

struct JsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};

struct PrintedDeleter {
  void operator()(char* text) const { cJSON_free(text); }
};

// Collects members in insertion order. A member that cannot be added spoils
// the whole object, so a text is never sent with a member missing.
class JsonObject {
 public:
  JsonObject() : root_(cJSON_CreateObject()), complete_(root_ != nullptr) {}

  void AddString(const char* name, std::string_view value) {
    Track(cJSON_AddStringToObject(root_.get(), name, std::string(value).c_str()));
  }
  void AddNumber(const char* name, int value) {
    Track(cJSON_AddNumberToObject(root_.get(), name, value));
  }
  void AddBool(const char* name, bool value) {
    Track(cJSON_AddBoolToObject(root_.get(), name, value));
  }

  std::optional<std::string> PrintCompact() const { return Print(/*formatted=*/false); }
  std::optional<std::string> PrintFormatted() const { return Print(/*formatted=*/true); }

 private:
  void Track(const cJSON* added) { complete_ = complete_ && added != nullptr; }

  std::optional<std::string> Print(bool formatted) const {
    if (!complete_)
      return std::nullopt;
    std::unique_ptr<char, PrintedDeleter> text(formatted ? cJSON_Print(root_.get())
                                                         : cJSON_PrintUnformatted(root_.get()));
    if (!text)
      return std::nullopt;
    return std::string(text.get());
  }

  std::unique_ptr<cJSON, JsonDeleter> root_;
  bool complete_;
};

}  // namespace

std::optional<std::string> BuildCommonResponse(int session_id, std::string_view ret) {
  JsonObject json;
  json.AddString("action", "client_common_response");
  json.AddNumber("session_id", session_id);
  json.AddString("ret", ret);
  json.AddString("version", kHostVersion);
  return json.PrintCompact();
}

std::optional<std::string> BuildCookieSync(std::string_view url,
                                           std::string_view values,
                                           bool http_only,
                                           int frame_id) {
  JsonObject json;
  json.AddString("action", "client_cookie_sync");
  json.AddString("url", url);
  json.AddString("values", values);
  json.AddBool("httpOnly", http_only);
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildAttachState(int state, int frame_id, std::string_view title) {
  JsonObject json;
  json.AddString("action", "client_attach_state");
  json.AddNumber("state", state);
  json.AddNumber("frame_id", frame_id);
  json.AddString("title", title);
  return json.PrintFormatted();
}

std::optional<std::string> BuildBack(int frame_id) {
  JsonObject json;
  json.AddString("url", "");
  json.AddString("action", "client_back");
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildForward(int frame_id) {
  JsonObject json;
  json.AddString("url", "");
  json.AddString("action", "client_forward");
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildSetCompatibleMode(int mode, int frame_id, std::string_view port) {
  JsonObject json;
  json.AddString("action", "client_set_compatible_mode");
  json.AddNumber("mode", mode);
  json.AddNumber("frame_id", frame_id);
  json.AddString("port", port);
  return json.PrintFormatted();
}

std::optional<std::string> BuildTitleChange(std::string_view title, int frame_id) {
  JsonObject json;
  json.AddString("action", "client_title_change");
  json.AddString("title", title);
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildCloseTab(std::string_view url, int frame_id) {
  JsonObject json;
  json.AddString("action", "client_close_tab");
  json.AddString("url", url);
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildBeforeNavigate(bool main_frame,
                                               std::string_view url,
                                               int frame_id) {
  JsonObject json;
  json.AddString("action", "client_before_navigate");
  json.AddBool("main_frame", main_frame);
  json.AddString("url", url);
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildLeaveCurrentTab(std::string_view url, int frame_id) {
  JsonObject json;
  json.AddString("action", "client_leave_current_tab");
  json.AddString("url", url);
  json.AddNumber("frame_id", frame_id);
  return json.PrintFormatted();
}

std::optional<std::string> BuildNewTab(std::string_view url,
                                       int frame_id,
                                       std::string_view port,
                                       bool force_ie) {
  JsonObject json;
  // The extension cannot open a tab without an address.
  json.AddString("url", url.empty() ? "about:blank" : url);
  json.AddString("action", "client_new_tab");
  json.AddNumber("frame_id", frame_id);
  json.AddString("port", port);
  json.AddBool("force_ie", force_ie);
  return json.PrintFormatted();
}

std::optional<std::string> BuildNewWindow(std::string_view url,
                                          bool popup,
                                          std::string_view cookie,
                                          std::string_view features,
                                          int frame_id,
                                          int new_frame_id,
                                          std::string_view port) {
  JsonObject json;
  json.AddString("url", url);
  json.AddString("action", "client_new_window");
  json.AddBool("popup", popup);
  json.AddString("cookie", cookie);
  json.AddString("features", features);
  json.AddNumber("frame_id", frame_id);
  json.AddNumber("new_frame_id", new_frame_id);
  json.AddString("port", port);
  return json.PrintFormatted();
}
