#include "channel/request_dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>

#include "channel/native_message.h"

namespace {

using ::testing::AllOf;
using ::testing::Field;
using ::testing::Matcher;
using ::testing::StrictMock;
using namespace std::string_view_literals;

class MockDelegate : public NativeMessage::Delegate {
 public:
  MOCK_METHOD(bool, CrxCreate, (const CreateParams&), (override));
  MOCK_METHOD(bool, CrxAttach, (const AttachParams&), (override));
  MOCK_METHOD(bool, CrxDetach, (int), (override));
  MOCK_METHOD(bool, CrxActivate, (int, bool), (override));
  MOCK_METHOD(bool, CrxNavigate, (const NavigateParams&), (override));
  MOCK_METHOD(bool, CrxReSize, (int, int, int), (override));
  MOCK_METHOD(bool, CrxBack, (int), (override));
  MOCK_METHOD(bool, CrxForward, (int), (override));
  MOCK_METHOD(bool, CrxReload, (int), (override));
  MOCK_METHOD(bool, CrxSetEmulation, (int, int, int), (override));
  MOCK_METHOD(bool, CrxPing, (const PingParams&), (override));
  MOCK_METHOD(bool, CrxClose, (int, int), (override));
  MOCK_METHOD(bool, QuitExtension, (), (override));
  MOCK_METHOD(bool, CrxCheckVersion, (const CheckVersionParams&), (override));
  MOCK_METHOD(bool, CrxUpdate, (const UpdateParams&), (override));
  MOCK_METHOD(bool, CrxFocus, (int), (override));
  MOCK_METHOD(bool, CrxPrint, (int), (override));
  MOCK_METHOD(bool, CrxIEOptions, (int, int), (override));
  MOCK_METHOD(bool, CrxGroupPolicies, (int, int), (override));
  MOCK_METHOD(bool, CrxDeviceId, (int, int), (override));
  MOCK_METHOD(bool, CrxGetDefaultEmulation, (int), (override));
};

class RecordingStream : public NativeMessage::Stream {
 public:
  int Read(void* buffer, size_t size) override { return 0; }
  int Write(const void* data, size_t size) override {
    written_.append(static_cast<const char*>(data), size);
    return static_cast<int>(size);
  }
  const std::string& written() const { return written_; }

 private:
  std::string written_;
};

class NoCallRunner : public NativeMessage::CallRunner {
 public:
  bool PostCall(std::function<void()> call) override { return false; }
  void SendCall(const std::function<void()>& call) override {}
};

std::string Framed(std::string_view payload) {
  std::string out;
  for (size_t i = 0; i < NativeMessage::kHeaderSize; ++i)
    out.push_back(static_cast<char>((payload.size() >> (8 * i)) & 0xFF));
  out.append(payload);
  return out;
}

Matcher<const CreateParams&> CreateIs(const CreateParams& p) {
  return AllOf(
      Field("port", &CreateParams::port, p.port), Field("url", &CreateParams::url, p.url),
      Field("cookie", &CreateParams::cookie, p.cookie),
      Field("title", &CreateParams::title, p.title),
      Field("session_id", &CreateParams::session_id, p.session_id),
      Field("width", &CreateParams::width, p.width),
      Field("height", &CreateParams::height, p.height),
      Field("banner", &CreateParams::banner, p.banner), Field("f12", &CreateParams::f12, p.f12),
      Field("compatible_mode", &CreateParams::compatible_mode, p.compatible_mode),
      Field("compatible_mode_gp", &CreateParams::compatible_mode_gp, p.compatible_mode_gp));
}

Matcher<const AttachParams&> AttachIs(const std::wstring& title,
                                      int width,
                                      int height,
                                      int frame_id) {
  return AllOf(Field("title", &AttachParams::title, title),
               Field("width", &AttachParams::width, width),
               Field("height", &AttachParams::height, height),
               Field("frame_id", &AttachParams::frame_id, frame_id));
}

Matcher<const NavigateParams&> NavigateIs(int frame_id,
                                          const std::wstring& url,
                                          const std::wstring& cookie) {
  return AllOf(Field("frame_id", &NavigateParams::frame_id, frame_id),
               Field("url", &NavigateParams::url, url),
               Field("cookie", &NavigateParams::cookie, cookie));
}

Matcher<const PingParams&> PingIs(int frame_id,
                                  int session_id,
                                  const std::string& cmd,
                                  const std::string& value) {
  return AllOf(Field("frame_id", &PingParams::frame_id, frame_id),
               Field("session_id", &PingParams::session_id, session_id),
               Field("cmd", &PingParams::cmd, cmd), Field("value", &PingParams::value, value));
}

// A create request holding every member; tests replace or remove parts.
constexpr char kFullCreate[] =
    R"({"action":"host_create","width":800,"height":600,"port":"p9","session_id":3,)"
    R"("title":"T","url":"http://a/","cookie":"c=1","banner":false,"f12":false,)"
    R"("compatible_mode":8000,"compatible_mode_gp":true})";

CreateParams FullCreateParams() {
  CreateParams p;
  p.port = "p9";
  p.url = "http://a/";
  p.cookie = "c=1";
  p.title = "T";
  p.session_id = 3;
  p.width = 800;
  p.height = 600;
  p.banner = false;
  p.f12 = false;
  p.compatible_mode = 8000;
  p.compatible_mode_gp = true;
  return p;
}

// A strict mock fails on any delegate call a test did not expect, so every
// test also shows that nothing else was called.
class RequestDispatcherTest : public testing::Test {
 protected:
  void Dispatch(std::string_view bytes) { DispatchRequest(&channel_, bytes); }
  const std::string& written() const { return stream_.written(); }

  StrictMock<MockDelegate> delegate_;
  RecordingStream stream_;
  NoCallRunner runner_;
  NativeMessage channel_{&delegate_, &stream_, &runner_};
};

TEST_F(RequestDispatcherTest, CreateCarriesEveryMember) {
  EXPECT_CALL(delegate_, CrxCreate(CreateIs(FullCreateParams())));
  Dispatch(kFullCreate);
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, CreateFillsDefaultsForOptionalMembers) {
  CreateParams expected;
  expected.port = "p";
  expected.url = "u";
  expected.title = "t";
  expected.session_id = 1;
  expected.width = 10;
  expected.height = 20;
  EXPECT_CALL(delegate_, CrxCreate(CreateIs(expected)));
  Dispatch(R"({"action":"host_create","width":10,"height":20,"port":"p","session_id":1,)"
           R"("title":"t","url":"u"})");
}

TEST_F(RequestDispatcherTest, CreateWithoutAnyRequiredMemberIsDropped) {
  for (const char* member : {"width", "height", "port", "session_id", "title", "url"}) {
    SCOPED_TRACE(member);
    std::string request = kFullCreate;
    const std::string key = std::string("\"") + member + "\"";
    request.replace(request.find(key), key.size(), "\"other\"");
    Dispatch(request);
  }
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, CreateWithEmptyPortIsDropped) {
  std::string request = kFullCreate;
  request.replace(request.find("\"p9\""), 4, "\"\"");
  Dispatch(request);
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, WrongTypesCountAsAbsent) {
  // Optional members of the wrong type fall back to their defaults.
  CreateParams expected = FullCreateParams();
  expected.banner = true;
  expected.f12 = true;
  expected.compatible_mode_gp = false;
  expected.cookie = "";
  expected.compatible_mode = kDefaultEmulationMode;
  EXPECT_CALL(delegate_, CrxCreate(CreateIs(expected)));
  Dispatch(R"({"action":"host_create","width":800,"height":600,"port":"p9","session_id":3,)"
           R"("title":"T","url":"http://a/","cookie":1,"banner":0,"f12":"false",)"
           R"("compatible_mode":"8000","compatible_mode_gp":1})");

  // Required members of the wrong type drop the request.
  Dispatch(R"({"action":"host_create","width":"800","height":600,"port":"p9","session_id":3,)"
           R"("title":"T","url":"http://a/"})");
  Dispatch(R"({"action":"host_create","width":800,"height":600,"port":9,"session_id":3,)"
           R"("title":"T","url":"http://a/"})");
  Dispatch(R"({"action":"host_activate","frame_id":1,"status":true})");
  Dispatch(R"({"action":"host_detach","frame_id":null})");
  Dispatch(R"({"action":"host_attach","title":["t"],"width":1,"height":1,"frame_id":1})");
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, AttachConvertsTitleToWide) {
  // "日本 ü 😀" in UTF-8.
  EXPECT_CALL(delegate_, CrxAttach(AttachIs(L"\u65E5\u672C \u00FC \U0001F600", 640, 480, 5)));
  Dispatch(
      "{\"action\":\"host_attach\",\"title\":\"\xE6\x97\xA5\xE6\x9C\xAC \xC3\xBC "
      "\xF0\x9F\x98\x80\",\"width\":640,\"height\":480,\"frame_id\":5}");
}

TEST_F(RequestDispatcherTest, AttachDecodesJsonEscapes) {
  EXPECT_CALL(delegate_, CrxAttach(AttachIs(L"a\"\u00E9\U0001F600", 1, 2, 3)));
  Dispatch(R"({"action":"host_attach","title":"a\"\u00e9\ud83d\ude00","width":1,"height":2,)"
           R"("frame_id":3})");
}

TEST_F(RequestDispatcherTest, NavigateConvertsUrlAndCookie) {
  EXPECT_CALL(delegate_, CrxNavigate(NavigateIs(4, L"http://x/\u00E9", L"k=v")));
  EXPECT_CALL(delegate_, CrxNavigate(NavigateIs(5, L"http://y/", L"")));
  Dispatch(
      "{\"action\":\"host_navigate\",\"frame_id\":4,\"url\":\"http://x/\xC3\xA9\","
      "\"cookie\":\"k=v\"}");
  Dispatch(R"({"action":"host_navigate","frame_id":5,"url":"http://y/"})");
  Dispatch(R"({"action":"host_navigate","frame_id":6})");
  Dispatch(R"({"action":"host_navigate","url":"http://z/"})");
}

TEST_F(RequestDispatcherTest, FrameOnlyRequestsRoute) {
  EXPECT_CALL(delegate_, CrxDetach(1));
  EXPECT_CALL(delegate_, CrxBack(2));
  EXPECT_CALL(delegate_, CrxForward(3));
  EXPECT_CALL(delegate_, CrxReload(4));
  EXPECT_CALL(delegate_, CrxFocus(5));
  EXPECT_CALL(delegate_, CrxPrint(6));
  Dispatch(R"({"action":"host_detach","frame_id":1})");
  Dispatch(R"({"action":"host_back","frame_id":2})");
  Dispatch(R"({"action":"host_forward","frame_id":3})");
  Dispatch(R"({"action":"host_reload","frame_id":4})");
  Dispatch(R"({"action":"host_focus","frame_id":5})");
  Dispatch(R"({"action":"host_print","frame_id":6})");
  for (const char* action :
       {"host_detach", "host_back", "host_forward", "host_reload", "host_focus", "host_print"}) {
    Dispatch(std::string(R"({"action":")") + action + R"(","session_id":1})");
  }
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, ActivateTreatsNonZeroStatusAsActive) {
  EXPECT_CALL(delegate_, CrxActivate(1, true));
  EXPECT_CALL(delegate_, CrxActivate(2, false));
  EXPECT_CALL(delegate_, CrxActivate(3, true));
  Dispatch(R"({"action":"host_activate","frame_id":1,"status":1})");
  Dispatch(R"({"action":"host_activate","frame_id":2,"status":0})");
  Dispatch(R"({"action":"host_activate","frame_id":3,"status":-5})");
  Dispatch(R"({"action":"host_activate","frame_id":4})");
  Dispatch(R"({"action":"host_activate","status":1})");
}

TEST_F(RequestDispatcherTest, ResizeNeedsAllThreeMembers) {
  EXPECT_CALL(delegate_, CrxReSize(1, 300, 200));
  Dispatch(R"({"action":"host_resize","frame_id":1,"width":300,"height":200})");
  Dispatch(R"({"action":"host_resize","frame_id":1,"width":300})");
  Dispatch(R"({"action":"host_resize","frame_id":1,"height":200})");
  Dispatch(R"({"action":"host_resize","width":300,"height":200})");
}

TEST_F(RequestDispatcherTest, SetEmulationNeedsSessionAndMode) {
  EXPECT_CALL(delegate_, CrxSetEmulation(2, 3, 9000));
  EXPECT_CALL(delegate_, CrxSetEmulation(-1, 3, 10000));
  Dispatch(R"({"action":"host_set_emulation","frame_id":2,"session_id":3,"mode":9000})");
  Dispatch(R"({"action":"host_set_emulation","session_id":3,"mode":10000})");
  Dispatch(R"({"action":"host_set_emulation","frame_id":2,"mode":9000})");
  Dispatch(R"({"action":"host_set_emulation","frame_id":2,"session_id":3})");
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, PingHasOnlyOptionalMembers) {
  EXPECT_CALL(delegate_, CrxPing(PingIs(-1, -1, "", "")));
  EXPECT_CALL(delegate_, CrxPing(PingIs(1, 2, "get", "v")));
  Dispatch(R"({"action":"host_ping"})");
  Dispatch(R"({"action":"host_ping","frame_id":1,"session_id":2,"cmd":"get","value":"v"})");
}

TEST_F(RequestDispatcherTest, CloseNeedsSessionOnly) {
  EXPECT_CALL(delegate_, CrxClose(4, 5));
  EXPECT_CALL(delegate_, CrxClose(-1, 6));
  Dispatch(R"({"action":"host_close","frame_id":4,"session_id":5})");
  Dispatch(R"({"action":"host_close","session_id":6})");
  Dispatch(R"({"action":"host_close","frame_id":4})");
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, CheckVersionNeedsSessionAndVersion) {
  EXPECT_CALL(delegate_, CrxCheckVersion(AllOf(Field(&CheckVersionParams::frame_id, -1),
                                               Field(&CheckVersionParams::session_id, 2),
                                               Field(&CheckVersionParams::version, "2.26.21.0"))));
  Dispatch(R"({"action":"host_check_version","session_id":2,"version":"2.26.21.0"})");
  Dispatch(R"({"action":"host_check_version","session_id":2})");
  Dispatch(R"({"action":"host_check_version","frame_id":1,"version":"2.26.21.0"})");
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, UpdateNeedsEveryMemberButFrame) {
  EXPECT_CALL(
      delegate_,
      CrxUpdate(AllOf(Field(&UpdateParams::frame_id, 7), Field(&UpdateParams::session_id, 8),
                      Field(&UpdateParams::file_content, "QUJD"), Field(&UpdateParams::md5, "0f"),
                      Field(&UpdateParams::version, "3.0.0.0"))));
  Dispatch(R"({"action":"host_update","frame_id":7,"session_id":8,"file_content":"QUJD",)"
           R"("md5":"0f","version":"3.0.0.0"})");
  Dispatch(R"({"action":"host_update","session_id":8,"md5":"0f","version":"3.0.0.0"})");
  Dispatch(R"({"action":"host_update","session_id":8,"file_content":"QUJD","version":"3"})");
  Dispatch(R"({"action":"host_update","session_id":8,"file_content":"QUJD","md5":"0f"})");
  Dispatch(R"({"action":"host_update","file_content":"QUJD","md5":"0f","version":"3"})");
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, FrameAndSessionRequestsDefaultBoth) {
  EXPECT_CALL(delegate_, CrxIEOptions(1, 2));
  EXPECT_CALL(delegate_, CrxIEOptions(-1, -1));
  EXPECT_CALL(delegate_, CrxGroupPolicies(3, -1));
  EXPECT_CALL(delegate_, CrxDeviceId(-1, 4));
  EXPECT_CALL(delegate_, CrxGetDefaultEmulation(5));
  EXPECT_CALL(delegate_, CrxGetDefaultEmulation(-1));
  Dispatch(R"({"action":"host_ie_options","frame_id":1,"session_id":2})");
  Dispatch(R"({"action":"host_ie_options"})");
  Dispatch(R"({"action":"host_group_policies","frame_id":3})");
  Dispatch(R"({"action":"host_deviceid","session_id":4})");
  Dispatch(R"({"action":"host_get_default_emulation","session_id":5})");
  Dispatch(R"({"action":"host_get_default_emulation","frame_id":6})");
}

TEST_F(RequestDispatcherTest, NamesMatchWithoutCase) {
  EXPECT_CALL(delegate_, CrxDetach(4));
  EXPECT_CALL(delegate_, CrxReSize(1, 2, 3));
  Dispatch(R"({"ACTION":"Host_Detach","Frame_ID":4})");
  Dispatch(R"({"Action":"HOST_RESIZE","FRAME_ID":1,"Width":2,"hEiGhT":3})");
}

TEST_F(RequestDispatcherTest, FirstOccurrenceOfANameWins) {
  EXPECT_CALL(delegate_, CrxDetach(1));
  EXPECT_CALL(delegate_, CrxBack(3));
  EXPECT_CALL(delegate_, CrxClose(-1, 5));
  Dispatch(R"({"action":"host_detach","frame_id":1,"frame_id":2})");
  Dispatch(R"({"action":"host_back","ACTION":"host_forward","Frame_Id":3,"frame_id":4})");
  // The first "session_id" is a string: it hides the later number.
  Dispatch(R"({"action":"host_close","session_id":"x","session_id":9})");
  Dispatch(R"({"action":"host_close","session_id":5,"session_id":"x"})");
}

TEST_F(RequestDispatcherTest, NumbersDropTheirFractionAndSaturate) {
  EXPECT_CALL(delegate_, CrxReSize(-3, 800, 0));
  EXPECT_CALL(delegate_, CrxReSize(INT_MAX, INT_MIN, INT_MAX));
  EXPECT_CALL(delegate_, CrxReSize(INT_MAX, INT_MIN, 1000));
  Dispatch(R"({"action":"host_resize","frame_id":-3.7,"width":800.9,"height":-0.5})");
  Dispatch(R"({"action":"host_resize","frame_id":2147483648,"width":-2147483649,"height":1e300})");
  Dispatch(R"({"action":"host_resize","frame_id":1e999,"width":-1e999,"height":1e3})");
}

TEST_F(RequestDispatcherTest, UnknownActionIsAnswered) {
  Dispatch(R"({"action":"host_fly","session_id":7})");
  EXPECT_EQ(written(),
            Framed(R"({"action":"client_common_response","session_id":7,"ret":"unknown",)"
                   R"("version":"2.26.20.0"})"));
}

TEST_F(RequestDispatcherTest, UnknownActionWithoutUsableSessionIsAnsweredWithMinusOne) {
  const std::string answer =
      Framed(R"({"action":"client_common_response","session_id":-1,"ret":"unknown",)"
             R"("version":"2.26.20.0"})");
  Dispatch(R"({"action":""})");
  Dispatch(R"({"action":"host_pingx","session_id":"7"})");
  // A prefix of a known action is not that action.
  Dispatch(R"({"action":"host_"})");
  EXPECT_EQ(written(), answer + answer + answer);
}

TEST_F(RequestDispatcherTest, MalformedRequestsAreDropped) {
  for (const char* request : {
           "",
           "not json",
           "{\"action\":\"host_ping\"",
           "[{\"action\":\"host_ping\"}]",
           "\"host_ping\"",
           "{}",
           "{\"session_id\":7}",
           "{\"action\":7,\"session_id\":7}",
           "{\"action\":null,\"session_id\":7}",
           "{\"action\":{\"action\":\"host_ping\"},\"session_id\":7}",
           "{\"nested\":{\"action\":\"host_ping\"}}",
       }) {
    SCOPED_TRACE(request);
    Dispatch(request);
  }
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, TrailingBytesAfterTheValueAreIgnored) {
  EXPECT_CALL(delegate_, CrxDetach(1));
  EXPECT_CALL(delegate_, CrxDetach(2));
  Dispatch(R"({"action":"host_detach","frame_id":1}garbage{)");
  Dispatch(R"(  {"action":"host_detach","frame_id":2}  {"action":"host_back","frame_id":3})");
}

TEST_F(RequestDispatcherTest, ParsingStopsAtTheFirstZeroByte) {
  EXPECT_CALL(delegate_, CrxDetach(1));
  Dispatch("{\"action\":\"host_detach\",\"frame_id\":1}\0{\"x\":"sv);
  // The zero byte cuts the object short.
  Dispatch("{\"action\":\"host_detach\",\0\"frame_id\":2}"sv);
  Dispatch("\0{\"action\":\"host_fly\"}"sv);
  EXPECT_EQ(written(), "");
}

TEST_F(RequestDispatcherTest, ReadsNoFurtherThanThePayload) {
  // An exact-size heap copy, so that AddressSanitizer reports any read past
  // the end of a truncated value.
  for (std::string_view request :
       {R"({"action":"host_detach","frame_id":12)", R"({"action":"host_detach","frame_id":"1)",
        R"({"action":"host_detach","frame_id":1,"t":"\u00)"}) {
    const auto copy = std::make_unique<char[]>(request.size());
    std::memcpy(copy.get(), request.data(), request.size());
    Dispatch(std::string_view(copy.get(), request.size()));
  }
  EXPECT_EQ(written(), "");
}

TEST(RequestDispatcherNoDelegateTest, OnlyUnknownActionsAreAnswered) {
  RecordingStream stream;
  NoCallRunner runner;
  NativeMessage channel(nullptr, &stream, &runner);
  DispatchRequest(&channel, R"({"action":"host_ping","session_id":1})");
  DispatchRequest(&channel, R"({"action":"host_detach","frame_id":1})");
  EXPECT_EQ(stream.written(), "");
  DispatchRequest(&channel, R"({"action":"host_other","session_id":2})");
  EXPECT_EQ(stream.written(),
            Framed(R"({"action":"client_common_response","session_id":2,"ret":"unknown",)"
                   R"("version":"2.26.20.0"})"));
}

}  // namespace
