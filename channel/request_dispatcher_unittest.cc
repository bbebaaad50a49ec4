#include "channel/request_dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "channel/client_notifications.h"
#include "channel/native_message.h"
#include "tests/channel_test_util.h"
#include "utils/string_util.h"

namespace {

using namespace std::string_view_literals;

// Writes the requests it is handed as text; the other slots keep their
// defaults, but for a ping, which runs out of memory.
class RecordingDelegate : public NativeMessage::Delegate {
 public:
  bool CrxCreate(const CreateParams& p) override {
    return Add("create", p.port, p.url, p.cookie, p.title, p.session_id, p.width, p.height,
               p.banner, p.f12, p.compatible_mode, p.compatible_mode_gp);
  }
  bool CrxAttach(const AttachParams& p) override {
    return Add("attach", WideToUtf8(p.title), p.width, p.height, p.frame_id);
  }
  bool CrxDetach(int frame_id) override { return Add("detach", frame_id); }
  bool CrxActivate(int frame_id, bool active) override { return Add("activate", frame_id, active); }
  bool CrxReSize(int frame, int width, int height) override {
    return Add("resize", frame, width, height);
  }
  bool CrxBack(int frame_id) override { return Add("back", frame_id); }
  bool CrxForward(int frame_id) override { return Add("forward", frame_id); }
  bool CrxClose(int frame, int session) override { return Add("close", frame, session); }
  bool CrxPing(const PingParams&) override { throw std::bad_alloc(); }
  void OnRequestDropped(std::string_view where) override { Add("dropped", where); }

  std::string calls;

 private:
  template <typename... T>
  bool Add(const char* name, const T&... values) {
    std::ostringstream line;
    line << name;
    ((line << ' ' << values), ...);
    calls += (calls.empty() ? "" : "; ") + line.str();
    return true;
  }
};

// The calls the request makes; nothing may be written in answer.
std::string Calls(std::string_view request) {
  RecordingDelegate delegate;
  CaptureStream stream;
  InlineRunner runner;
  NativeMessage channel(&delegate, &stream, &runner);
  // An exact-size heap copy, so that AddressSanitizer reports any read past
  // the end of the payload.
  const auto copy = std::make_unique<char[]>(request.size());
  std::copy(request.begin(), request.end(), copy.get());
  DispatchRequest(&channel, std::string_view(copy.get(), request.size()));
  EXPECT_EQ(stream.bytes, "") << request;
  return delegate.calls;
}

constexpr char kCreate[] =
    R"({"action":"host_create","width":800,"height":600,"port":"p9","session_id":3,)"
    R"("title":"T","url":"http://a/")";

std::string CreateWith(const std::string& members) {
  return kCreate + members + "}";
}

std::string CreateChanged(const std::string& from, const std::string& to) {
  std::string request = CreateWith("");
  return request.replace(request.find(from), from.size(), to);
}

TEST(RequestDispatcherTest, RequestsReachTheirSlotWithTheirMembers) {
  const std::string kDefaults = "create p9 http://a/  T 3 800 600 1 1 11000 0";
  const std::pair<std::string, std::string> cases[] = {
      {CreateWith(R"(,"cookie":"c=1","banner":false,"f12":false,"compatible_mode":8000,)"
                  R"("compatible_mode_gp":true)"),
       "create p9 http://a/ c=1 T 3 800 600 0 0 8000 1"},
      {CreateWith(""), kDefaults},
      // Optional members of another type count as absent.
      {CreateWith(R"(,"cookie":1,"banner":0,"f12":"false","compatible_mode":"8000",)"
                  R"("compatible_mode_gp":1)"),
       kDefaults},
      // "日本 ü 😀" in UTF-8.
      {"{\"action\":\"host_attach\",\"title\":\"\xE6\x97\xA5\xE6\x9C\xAC \xC3\xBC "
       "\xF0\x9F\x98\x80\",\"width\":640,\"height\":480,\"frame_id\":5}",
       "attach \xE6\x97\xA5\xE6\x9C\xAC \xC3\xBC \xF0\x9F\x98\x80 640 480 5"},
      {R"({"action":"host_back","frame_id":2})", "back 2"},
      {R"({"action":"host_forward","frame_id":3})", "forward 3"},
      {R"({"action":"host_resize","frame_id":1,"width":300,"height":200})", "resize 1 300 200"},
      {R"({"action":"host_close","frame_id":4,"session_id":5})", "close 4 5"},
      {R"({"action":"host_close","session_id":6})", "close -1 6"},
      {R"({"action":"host_activate","frame_id":1,"status":1})", "activate 1 1"},
      {R"({"action":"host_activate","frame_id":2,"status":0})", "activate 2 0"},
      {R"({"action":"host_activate","frame_id":3,"status":-5})", "activate 3 1"},
      // Names match without case; numbers saturate.
      {R"({"ACTION":"Host_Detach","Frame_ID":4})", "detach 4"},
      {R"({"action":"host_resize","frame_id":2147483648,"width":-2147483649,"height":1e999})",
       "resize 2147483647 -2147483648 2147483647"},
      // Parsing stops at the first zero byte and ignores what follows a value.
      {std::string("{\"action\":\"host_detach\",\"frame_id\":1}\0{\"x\":"sv), "detach 1"},
      {R"(  {"action":"host_detach","frame_id":2}  {"action":"host_back","frame_id":3})",
       "detach 2"},
      // Out of memory while it is handled: dropped and reported.
      {R"({"action":"host_ping","session_id":1})", "dropped DispatchRequest"},
  };
  for (const auto& [request, calls] : cases)
    EXPECT_EQ(Calls(request), calls) << request;
}

// Malformed text as a whole is also checked end to end.
TEST(RequestDispatcherTest, IncompleteOrMalformedRequestsAreDropped) {
  std::vector<std::string> requests = {
      CreateChanged(R"("p9")", R"("")"),
      CreateChanged(R"("width":800)", R"("width":"800")"),
      R"({"action":"host_activate","frame_id":1,"status":true})",
      R"({"action":"host_activate","frame_id":4})",
      R"({"action":"host_detach","frame_id":null})",
      R"({"action":"host_attach","title":["t"],"width":1,"height":1,"frame_id":1})",
      R"({"action":"host_forward","session_id":3})",
      R"({"action":"host_resize","frame_id":1,"width":300})",
      R"({"action":"host_close","frame_id":4})",
      std::string("{\"action\":\"host_detach\",\0\"frame_id\":2}"sv),
      std::string("\0{\"action\":\"host_fly\"}"sv),
      "",
      "{\"action\":\"host_ping\"",
      "[{\"action\":\"host_ping\"}]",
      "{\"action\":{\"action\":\"host_ping\"},\"session_id\":7}",
      "{\"action\":\"host_detach\",\"frame_id\":12",
      "{\"action\":\"host_detach\",\"frame_id\":1,\"t\":\"\\u00",
  };
  for (const std::string member : {"width", "height", "port", "session_id", "title", "url"})
    requests.push_back(CreateChanged('"' + member + '"', R"("other")"));
  for (const std::string& request : requests)
    EXPECT_EQ(Calls(request), "") << request;
}

// What the extension is told is checked end to end.
TEST(RequestDispatcherTest, UnknownActionsAreAnsweredEvenWithoutADelegate) {
  CaptureStream stream;
  InlineRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  DispatchRequest(&channel, R"({"action":"host_ping","session_id":1})");
  // Without a usable session id the answer names -1.
  DispatchRequest(&channel, R"({"action":"host_pingx","session_id":"7"})");
  EXPECT_EQ(stream.Messages(), std::vector<std::string>{*BuildCommonResponse(-1, "unknown")});
}

}  // namespace
