// Requests as the extension could send them, right or wrong: raw bytes, or
// JSON built from the real requests' members with wrong types, duplicates,
// huge numbers and deep nesting. Every notification written must be one JSON
// value below 1 MiB (UTF-8 whenever the request was), and no request slot
// may run for a payload that is not an object with a string "action".

#include <cjson/cJSON.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "channel/client_notifications.h"
#include "channel/native_message.h"
#include "channel/request_dispatcher.h"
#include "utils/string_util.h"

namespace {

constexpr const char* kActions[] = {"host_create",
                                    "host_attach",
                                    "host_detach",
                                    "host_activate",
                                    "host_navigate",
                                    "host_resize",
                                    "host_back",
                                    "host_forward",
                                    "host_reload",
                                    "host_set_emulation",
                                    "host_ping",
                                    "host_close",
                                    "host_check_version",
                                    "host_update",
                                    "host_focus",
                                    "host_print",
                                    "host_ie_options",
                                    "host_get_default_emulation",
                                    "host_group_policies",
                                    "host_deviceid",
                                    "HOST_PING",
                                    "host_unknown",
                                    ""};
constexpr const char* kMembers[] = {"action",
                                    "session_id",
                                    "frame_id",
                                    "width",
                                    "height",
                                    "port",
                                    "title",
                                    "url",
                                    "cookie",
                                    "banner",
                                    "f12",
                                    "compatible_mode",
                                    "compatible_mode_gp",
                                    "status",
                                    "mode",
                                    "cmd",
                                    "value",
                                    "version",
                                    "file_content",
                                    "md5",
                                    "Frame_Id"};
constexpr const char* kNumbers[] = {
    "0",     "-1",     "2147483647", "2147483648", "-2147483649",
    "1e308", "-1e400", "1.5",        "-0",         "123456789012345678901234"};

bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<uint8_t>(text[i]);
    const size_t extra = byte < 0x80                   ? 0
                         : byte >= 0xC2 && byte < 0xE0 ? 1
                         : byte >= 0xE0 && byte < 0xF0 ? 2
                         : byte >= 0xF0 && byte < 0xF5 ? 3
                                                       : 9;
    if (extra == 9 || text.size() - i <= extra)
      return false;
    uint32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = code << 6 | (next & 0x3F);
    }
    constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
      return false;
    i += extra + 1;
  }
  return true;
}

void Fail() {
  std::abort();
}

class CheckingStream : public NativeMessage::Stream {
 public:
  int Read(void*, size_t) override { return 0; }
  int Write(const void* data, size_t size) override {
    written_.append(static_cast<const char*>(data), size);
    return static_cast<int>(size);
  }
  void Flush() override {
    // Each write of a message ends with a flush: the whole frame is here.
    if (written_.size() < NativeMessage::kHeaderSize)
      Fail();
    const std::string_view text = std::string_view(written_).substr(NativeMessage::kHeaderSize);
    uint32_t length = 0;
    for (size_t i = 0; i < NativeMessage::kHeaderSize; ++i)
      length |= static_cast<uint32_t>(static_cast<uint8_t>(written_[i])) << (8 * i);
    const char* end = nullptr;
    cJSON* value = cJSON_ParseWithLengthOpts(text.data(), text.size(), &end, false);
    const bool whole =
        value && end == text.data() + text.size() && length == text.size() && length < 1048576;
    cJSON_Delete(value);
    if (!whole || (utf8_input && !IsUtf8(text)))
      Fail();
    written_.clear();
  }

  bool utf8_input = false;

 private:
  std::string written_;
};

// Answers like the host does, echoing what the requests carry.
class EchoDelegate : public NativeMessage::Delegate {
 public:
  bool CrxCreate(const CreateParams& p) override {
    return Send(BuildSetCompatibleMode(p.compatible_mode, 1, p.port)) &&
           Send(BuildNewTab(p.url, 1, p.port, false)) && Send(BuildTitleChange(p.title, 1)) &&
           Send(BuildCommonResponse(p.session_id, p.cookie));
  }
  bool CrxAttach(const AttachParams& p) override {
    return Send(BuildAttachState(p.width, p.frame_id, WideToUtf8(p.title)));
  }
  bool CrxNavigate(const NavigateParams& p) override {
    return Send(BuildBeforeNavigate(true, WideToUtf8(p.url), p.frame_id)) &&
           Send(BuildCookieSync(WideToUtf8(p.url), WideToUtf8(p.cookie), true, p.frame_id));
  }
  bool CrxPing(const PingParams& p) override {
    return Send(BuildCommonResponse(p.session_id, p.cmd + p.value));
  }
  // Repeated to about the channel's limit, which escaping may then pass.
  bool CrxCheckVersion(const CheckVersionParams& p) override {
    std::string text = p.version;
    while (!p.version.empty() && text.size() < NativeMessage::kMaxOutgoingPayload - 80)
      text += p.version;
    return Send(BuildCommonResponse(p.session_id, text));
  }
  bool CrxUpdate(const UpdateParams& p) override {
    return Send(BuildNewWindow(p.version, true, p.md5, p.file_content, p.frame_id, 2, ""));
  }
  bool CrxClose(int frame_id, int session_id) override { return Send(BuildCloseTab("", frame_id)); }
  bool CrxDetach(int) override { return Called(); }
  bool CrxActivate(int, bool) override { return Called(); }
  bool CrxReSize(int, int, int) override { return Called(); }
  bool CrxBack(int frame_id) override { return Send(BuildBack(frame_id)); }
  bool CrxForward(int frame_id) override { return Send(BuildForward(frame_id)); }
  bool CrxReload(int) override { return Called(); }
  bool CrxSetEmulation(int, int, int) override { return Called(); }
  bool CrxFocus(int) override { return Called(); }
  bool CrxPrint(int) override { return Called(); }
  bool CrxIEOptions(int, int) override { return Called(); }
  bool CrxGroupPolicies(int, int) override { return Called(); }
  bool CrxDeviceId(int, int) override { return Called(); }
  bool CrxGetDefaultEmulation(int) override { return Called(); }

  NativeMessage* channel = nullptr;
  bool called = false;

 private:
  bool Called() { return called = true; }
  // A text the channel refuses (too long) is not sent, which is right.
  bool Send(const std::optional<std::string>& text) {
    if (text)
      (void)channel->WriteMessage(*text);
    return Called();
  }
};

void AppendValue(FuzzedDataProvider& in, std::string* json, int depth) {
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
      json->append(kNumbers[in.ConsumeIntegralInRange<size_t>(0, std::size(kNumbers) - 1)]);
      break;
    case 1: {
      // Raw bytes, with quotes and backslashes escaped half the time.
      const std::string text = in.ConsumeRandomLengthString(512);
      json->push_back('"');
      const bool escape = in.ConsumeBool();
      for (char c : text) {
        if (escape && (c == '"' || c == '\\'))
          json->push_back('\\');
        json->push_back(c);
      }
      json->push_back('"');
      break;
    }
    case 2:
      json->append(in.ConsumeBool() ? "true" : "null");
      break;
    case 3:
    case 4: {
      const bool object = in.ConsumeBool();
      json->push_back(object ? '{' : '[');
      for (int n = depth < 40 ? in.ConsumeIntegralInRange(0, 3) : 0; n > 0; --n) {
        if (object)
          json->append("\"x\":");
        AppendValue(in, json, depth + 1);
        if (n > 1)
          json->push_back(',');
      }
      json->push_back(object ? '}' : ']');
      break;
    }
    case 5:
      // Nesting far beyond what the parser takes.
      json->append(std::string(in.ConsumeIntegralInRange(1, 3000), '[') + "1");
      break;
    default:
      json->append("\"\\u00e9\\ud83d\\ude00\\u0000tail\"");
  }
}

std::string BuildRequest(FuzzedDataProvider& in) {
  std::string json = "{\"action\":\"";
  json += kActions[in.ConsumeIntegralInRange<size_t>(0, std::size(kActions) - 1)];
  json += '"';
  for (int n = in.ConsumeIntegralInRange(0, 24); n > 0; --n) {
    json += ",\"";
    json += kMembers[in.ConsumeIntegralInRange<size_t>(0, std::size(kMembers) - 1)];
    json += "\":";
    AppendValue(in, &json, 0);
  }
  return json + "}";
}

bool IsRequestShaped(std::string_view bytes) {
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  cJSON* root = cJSON_ParseWithLengthOpts(text.data(), text.size(), nullptr, false);
  const bool shaped = cJSON_IsObject(root) && cJSON_IsString(cJSON_GetObjectItem(root, "action"));
  cJSON_Delete(root);
  return shaped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string payload =
      in.ConsumeBool() ? BuildRequest(in) : in.ConsumeRemainingBytesAsString();
  CheckingStream stream;
  stream.utf8_input = IsUtf8(payload);
  EchoDelegate delegate;
  NativeMessage channel(&delegate, &stream, nullptr);
  delegate.channel = &channel;
  DispatchRequest(&channel, payload);
  if (delegate.called && !IsRequestShaped(payload))
    Fail();
  return 0;
}
