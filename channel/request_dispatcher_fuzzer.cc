// Requests as the extension could send them, right or wrong: raw bytes, or
// JSON built from the real requests' members with wrong types, duplicates,
// huge numbers and deep nesting. Every notification written must be one JSON
// value below 1 MiB (UTF-8 whenever the request was), and no request slot
// may run for a payload that is not an object with a string "action".

#include <cjson/cJSON.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "channel/client_notifications.h"
#include "channel/native_message.h"
#include "channel/request_dispatcher.h"
#include "tests/fuzz_util.h"
#include "utils/string_util.h"

namespace {

constexpr const char* kActions[] = {
    "host_create", "host_attach", "host_navigate", "host_ping", "host_check_version",
    "host_update", "host_resize", "host_close",    "HOST_Ping", "host_unknown"};
constexpr const char* kMembers[] = {
    "action", "session_id", "frame_id", "width", "height", "port",    "title",        "url",
    "cookie", "banner",     "mode",     "cmd",   "value",  "version", "file_content", "md5"};
constexpr const char* kValues[] = {"0",
                                   "-1",
                                   "2147483648",
                                   "-1e400",
                                   "1.5",
                                   "true",
                                   "null",
                                   "[1]",
                                   "{\"x\":{}}",
                                   "\"\\u00e9\\ud83d\\ude00\"",
                                   "\"a\\u0000b\""};

bool IsUtf8(std::string_view text) {
  return WideToUtf8(Utf8ToWide(text)) == text;
}

class CheckingStream : public NativeMessage::Stream {
 public:
  int Read(void*, size_t) override { return 0; }
  int Write(const void* data, size_t size) override {
    written_.append(static_cast<const char*>(data), size);
    return static_cast<int>(size);
  }
  // Each message ends with a flush: the whole frame is here.
  void Flush() override {
    const std::string_view text = std::string_view(written_).substr(NativeMessage::kHeaderSize);
    const char* end = nullptr;
    cJSON* value = cJSON_ParseWithLengthOpts(text.data(), text.size(), &end, false);
    FuzzCheck(value && end == text.data() + text.size() && text.size() < 1048576);
    FuzzCheck(!utf8_input || IsUtf8(text));
    cJSON_Delete(value);
    written_.clear();
  }

  bool utf8_input = false;

 private:
  std::string written_;
};

// Answers with what the requests carry, as the host's answers do.
class EchoDelegate : public NativeMessage::Delegate {
 public:
  bool CrxCreate(const CreateParams& p) override {
    return Send(BuildNewTab(p.url, 1, p.port, false)) && Send(BuildTitleChange(p.title, 1)) &&
           Send(BuildCommonResponse(p.session_id, p.cookie));
  }
  bool CrxAttach(const AttachParams& p) override {
    return Send(BuildAttachState(p.width, p.frame_id, WideToUtf8(p.title)));
  }
  bool CrxNavigate(const NavigateParams& p) override {
    return Send(BuildCookieSync(WideToUtf8(p.url), WideToUtf8(p.cookie), true, p.frame_id));
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
  bool CrxReSize(int, int, int) override { return Send(std::nullopt); }
  bool CrxClose(int, int) override { return Send(std::nullopt); }

  NativeMessage* channel = nullptr;
  bool called = false;

 private:
  // A text the channel refuses (too long) is not sent, which is right.
  bool Send(const std::optional<std::string>& text) {
    if (text)
      (void)channel->WriteMessage(*text);
    return called = true;
  }
};

std::string BuildRequest(FuzzedDataProvider& in) {
  std::string json = "{\"action\":\"";
  json += in.PickValueInArray(kActions);
  json += '"';
  for (int n = in.ConsumeIntegralInRange(0, 20); n > 0; --n) {
    json += ",\"" + std::string(in.PickValueInArray(kMembers)) + "\":";
    switch (in.ConsumeIntegralInRange(0, 2)) {
      case 0:
        json += in.PickValueInArray(kValues);
        break;
      case 1:  // nesting far beyond what the parser takes
        json += std::string(in.ConsumeIntegralInRange(1, 3000), '[');
        break;
      default:
        json += '"' + in.ConsumeRandomLengthString(512) + '"';
    }
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
  FuzzCheck(!delegate.called || IsRequestShaped(payload));
  return 0;
}
