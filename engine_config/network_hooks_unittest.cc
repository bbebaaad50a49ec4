#include "engine_config/network_hooks.h"

#include <windows.h>

#include <wininet.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine_config/hook/hook_engine.h"
#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "tests/scoped_registry_backup.h"
#include "tests/testing/test_http_server.h"
#include "utils/critical_section.h"
#include "utils/scoped_hinternet.h"

// The hooks are permanent, so each case runs in a child process: a copy of
// this program under a name of its own, for which Wine is told to load the
// engine's networking module from our file. Calls from the copy of the
// outside caller named "urlmon.dll" then count as the engine's, calls from
// the one under its own name as another module's.
namespace {

namespace fs = std::filesystem;

using Cookie = std::tuple<std::wstring, std::wstring, bool>;

constexpr wchar_t kChildName[] = L"tb_network_hooks_child.exe";
constexpr wchar_t kEngineModule[] = L"urlmon.dll";
constexpr wchar_t kUrl[] = L"http://tb-hooks.test/";
constexpr DWORD_PTR kMarkerContext = 0x44554D59;

CriticalSection g_lock;
std::vector<Cookie> g_reported;

void Record(std::wstring_view url, std::wstring_view cookie, bool http_only) {
  AutoLock hold(g_lock);
  g_reported.emplace_back(url, cookie, http_only);
}

std::vector<Cookie> TakeReported() {
  AutoLock hold(g_lock);
  return std::exchange(g_reported, {});
}

struct EngineCall {
  HINTERNET handle;
  DWORD_PTR context;
  DWORD status;
};
std::vector<EngineCall> g_engine_calls;

void CALLBACK
EngineCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void* information, DWORD length) {
  AutoLock hold(g_lock);
  g_engine_calls.push_back({handle, context, status});
}

void CALLBACK OtherCallback(HINTERNET, DWORD_PTR, DWORD, void*, DWORD) {}

struct Callers {
  OutsideCaller engine;
  OutsideCaller other;
};

std::optional<Callers> LoadCallers() {
  const fs::path folder = fs::path(CurrentTestProgram()).parent_path();
  std::optional<OutsideCaller> engine = OutsideCaller::Load(folder / kEngineModule);
  std::optional<OutsideCaller> other = OutsideCaller::Load(folder / OutsideCaller::kFileName);
  if (!engine || !other ||
      !IsAddressInModule(kEngineModule,
                         reinterpret_cast<void*>(engine->internet_set_status_callback_a))) {
    return std::nullopt;
  }
  return Callers{std::move(*engine), std::move(*other)};
}

// The callback a handle has now, through an unhooked path.
INTERNET_STATUS_CALLBACK CurrentCallback(HINTERNET handle) {
  const INTERNET_STATUS_CALLBACK current = ::InternetSetStatusCallbackW(handle, nullptr);
  ::InternetSetStatusCallbackW(handle, current);
  return current;
}

DWORD_PTR ContextOf(HINTERNET handle) {
  DWORD_PTR context = 0;
  DWORD size = sizeof(context);
  ::InternetQueryOptionW(handle, INTERNET_OPTION_CONTEXT_VALUE, &context, &size);
  return context;
}

// A request on `session` to `server`'s "/three", sent and answered.
struct SentRequest {
  unique_hinternet connection;  // closing it would close the request
  unique_hinternet request;
};

SentRequest SendRequest(HINTERNET session, const TestHttpServer& server, DWORD_PTR context) {
  SentRequest sent;
  sent.connection.reset(::InternetConnectW(session, L"127.0.0.1", server.port(), nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
  sent.request.reset(sent.connection
                         ? ::HttpOpenRequestW(sent.connection.get(), L"GET", L"/three", nullptr,
                                              nullptr, nullptr, INTERNET_FLAG_RELOAD, context)
                         : nullptr);
  if (!sent.request || !::HttpSendRequestW(sent.request.get(), nullptr, 0, nullptr, 0))
    sent.request.reset();
  return sent;
}

bool ServeThreeCookies(TestHttpServer* server) {
  if (!server->Start())
    return false;
  server->Serve("/three", {.headers = {{"Set-Cookie", "a=1; path=/"},
                                       {"Set-Cookie", "b=2"},
                                       {"Set-Cookie", "c=3; HttpOnly"}}});
  return true;
}

std::vector<Cookie> ThreeCookies(const TestHttpServer& server) {
  const std::wstring url = server.Url("/three");
  return {{url, L"a=1; path=/", false}, {url, L"b=2", false}, {url, L"c=3; HttpOnly", false}};
}

TB_CHILD_ROUTINE(ReportsTheCookiesOthersSet) {
  InstallNetworkHooks(&Record);
  // A second call must not stack a second set of hooks.
  InstallNetworkHooks(&Record);
  const std::optional<Callers> callers = LoadCallers();
  CHILD_CHECK(callers);
  const OutsideCaller& page = callers->other;
  const char kAnsiUrl[] = "http://tb-hooks.test/";

  CHILD_CHECK(page.internet_set_cookie_ex_w(kUrl, nullptr, L"a=1", 0, 0) == COOKIE_STATE_ACCEPT);
  CHILD_CHECK(page.internet_set_cookie_ex_w(kUrl, nullptr, L"h=2", INTERNET_COOKIE_HTTPONLY, 0) ==
              COOKIE_STATE_ACCEPT);
  // Reported with the data only, as the engine passes the name apart.
  CHILD_CHECK(page.internet_set_cookie_w(kUrl, L"named", L"v=3; path=/"));
  CHILD_CHECK(page.internet_set_cookie_ex_a(kAnsiUrl, nullptr, "\xC3\xA9=4", 0, 0) ==
              COOKIE_STATE_ACCEPT);
  CHILD_CHECK(page.internet_set_cookie_a(kAnsiUrl, nullptr, "p=5"));
  // Calls the store refuses, or without data, are not cookies that arrived:
  // scripts may not set HttpOnly cookies.
  CHILD_CHECK(!page.internet_set_cookie_w(kUrl, nullptr, L"x=6; HttpOnly"));
  CHILD_CHECK(::GetLastError() != ERROR_SUCCESS);
  CHILD_CHECK(!page.internet_set_cookie_w(L"no url", nullptr, L"y=7"));
  CHILD_CHECK(!page.internet_set_cookie_ex_w(kUrl, nullptr, nullptr, 0, 0));
  // This program's own calls carry the extension's cookies in.
  CHILD_CHECK(::InternetSetCookieExW(kUrl, nullptr, L"own=8", 0, 0) == COOKIE_STATE_ACCEPT);

  const std::vector<Cookie> expected = {{kUrl, L"a=1", false},
                                        {kUrl, L"h=2", true},
                                        {kUrl, L"v=3; path=/", false},
                                        {kUrl, L"\u00E9=4", false},
                                        {kUrl, L"p=5", false}};
  CHILD_CHECK(TakeReported() == expected);
  return 0;
}

TB_CHILD_ROUTINE(ForcesTheConnectionLimitAndMarksRequests) {
  InstallNetworkHooks(&Record);
  DWORD limit = 2;
  CHILD_CHECK(
      ::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit)));
  CHILD_CHECK(limit == 6);
  DWORD limits[2] = {3, 3};
  CHILD_CHECK(::InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, limits,
                                   sizeof(limits)));
  CHILD_CHECK(limits[0] == 6 && limits[1] == 3);
  for (DWORD option :
       {INTERNET_OPTION_MAX_CONNS_PER_SERVER, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER}) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    CHILD_CHECK(::InternetQueryOptionW(nullptr, option, &value, &size) && value == 6);
  }
  // Other options, and buffers too short for a limit, pass unchanged.
  const unique_hinternet session(
      ::InternetOpenW(L"tb", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  DWORD timeout = 1234;
  CHILD_CHECK(::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout,
                                   sizeof(timeout)));
  CHILD_CHECK(timeout == 1234);
  WORD short_limit = 2;
  ::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &short_limit,
                       sizeof(short_limit));
  CHILD_CHECK(short_limit == 2);

  const unique_hinternet connection(::InternetConnectW(session.get(), L"127.0.0.1", 80, nullptr,
                                                       nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  const unique_hinternet unmarked(
      ::HttpOpenRequestW(connection.get(), L"GET", L"/", nullptr, nullptr, nullptr, 0, 0));
  const unique_hinternet own(
      ::HttpOpenRequestA(connection.get(), "GET", "/", nullptr, nullptr, nullptr, 0, 7));
  CHILD_CHECK(unmarked && own);
  CHILD_CHECK(ContextOf(unmarked.get()) == kMarkerContext);
  CHILD_CHECK(ContextOf(own.get()) == 7);
  return 0;
}

// WinINet under Wine never announces received cookies itself; the test
// calls the installed callbacks as WinINet would.
TB_CHILD_ROUTINE(ReadsResponseCookiesAndStandsBetweenTheEngineAndItsCallback) {
  TestHttpServer server;
  CHILD_CHECK(ServeThreeCookies(&server));
  InstallNetworkHooks(&Record);
  const std::optional<Callers> callers = LoadCallers();
  CHILD_CHECK(callers);

  // Sessions others open read the cookies of each response.
  const unique_hinternet other(callers->other.internet_open_w(L"tb", INTERNET_OPEN_TYPE_DIRECT));
  const INTERNET_STATUS_CALLBACK callback = other ? CurrentCallback(other.get()) : nullptr;
  CHILD_CHECK(callback);
  const SentRequest sent = SendRequest(other.get(), server, 1);
  CHILD_CHECK(sent.request);
  callback(sent.request.get(), 1, INTERNET_STATUS_RESPONSE_RECEIVED, nullptr, 0);
  CHILD_CHECK(TakeReported().empty());
  callback(sent.request.get(), 1, INTERNET_STATUS_COOKIE_RECEIVED, nullptr, 0);
  CHILD_CHECK(TakeReported() == ThreeCookies(server));
  // Only requests carry response headers.
  callback(other.get(), 1, INTERNET_STATUS_COOKIE_RECEIVED, nullptr, 0);
  CHILD_CHECK(TakeReported().empty());

  // The engine's sessions wait for its own callback.
  const OutsideCaller& engine = callers->engine;
  const unique_hinternet session(engine.internet_open_w(L"tb", INTERNET_OPEN_TYPE_DIRECT));
  CHILD_CHECK(session && !CurrentCallback(session.get()));

  // The engine's first callback is remembered and replaced.
  engine.internet_set_status_callback_a(session.get(), &EngineCallback);
  const INTERNET_STATUS_CALLBACK installed = CurrentCallback(session.get());
  CHILD_CHECK(installed && installed != &EngineCallback);
  // Its other callbacks, and anyone else's, go in as they are.
  engine.internet_set_status_callback_a(session.get(), &OtherCallback);
  CHILD_CHECK(CurrentCallback(session.get()) == &OtherCallback);
  callers->other.internet_set_status_callback_a(session.get(), &EngineCallback);
  CHILD_CHECK(CurrentCallback(session.get()) == &EngineCallback);
  engine.internet_set_status_callback_a(session.get(), &EngineCallback);
  CHILD_CHECK(CurrentCallback(session.get()) == installed);

  // Requests the engine opened without a context never reach its callback.
  const SentRequest unmarked = SendRequest(session.get(), server, 0);
  const SentRequest own = SendRequest(session.get(), server, 5);
  CHILD_CHECK(unmarked.request && own.request);
  CHILD_CHECK(ContextOf(unmarked.request.get()) == kMarkerContext);
  {
    // WinINet called back for both while sending them.
    AutoLock hold(g_lock);
    CHILD_CHECK(!g_engine_calls.empty());
    for (const EngineCall& call : g_engine_calls)
      CHILD_CHECK(call.context == 5);
    g_engine_calls.clear();
  }
  installed(unmarked.request.get(), kMarkerContext, INTERNET_STATUS_COOKIE_RECEIVED, nullptr, 0);
  CHILD_CHECK(TakeReported() == ThreeCookies(server));
  installed(own.request.get(), 5, INTERNET_STATUS_COOKIE_RECEIVED, nullptr, 0);
  CHILD_CHECK(TakeReported() == ThreeCookies(server));
  installed(own.request.get(), 5, INTERNET_STATUS_REQUEST_COMPLETE, nullptr, 0);
  CHILD_CHECK(TakeReported().empty());
  AutoLock hold(g_lock);
  CHILD_CHECK(g_engine_calls.size() == 2);
  CHILD_CHECK(g_engine_calls[0].handle == own.request.get() && g_engine_calls[0].context == 5 &&
              g_engine_calls[0].status == INTERNET_STATUS_COOKIE_RECEIVED);
  CHILD_CHECK(g_engine_calls[1].status == INTERNET_STATUS_REQUEST_COMPLETE);
  return 0;
}

class NetworkHooksTest : public testing::Test {
 protected:
  void SetUp() override {
    std::error_code error;
    folder_ = fs::temp_directory_path(error) /
              ("tb_network_hooks_" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(folder_, error);
    ASSERT_TRUE(fs::create_directories(folder_, error)) << error.message();
    program_ = folder_ / kChildName;
    ASSERT_TRUE(fs::copy_file(CurrentTestProgram(), program_, error)) << error.message();
    ASSERT_TRUE(CopyOutsideCaller(folder_.wstring(), OutsideCaller::kFileName));
    ASSERT_TRUE(CopyOutsideCaller(folder_.wstring(), kEngineModule));
    const wchar_t native[] = L"native,builtin";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kOverridesKey, L"urlmon", REG_SZ, native,
                                sizeof(native)),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    std::error_code error;
    fs::remove_all(folder_, error);
  }

  std::optional<DWORD> Run(const char* routine) { return RunChild(program_.wstring(), routine); }

  static constexpr wchar_t kOverridesKey[] =
      L"Software\\Wine\\AppDefaults\\tb_network_hooks_child.exe\\DllOverrides";
  ScopedRegistryKeyBackup overrides_{HKEY_CURRENT_USER, kOverridesKey};
  fs::path folder_;
  fs::path program_;
};

}  // namespace

TEST_F(NetworkHooksTest, ReportsCookiesThatOtherModulesSet) {
  EXPECT_EQ(Run("ReportsTheCookiesOthersSet"), 0u);
}

TEST_F(NetworkHooksTest, ForcesTheConnectionLimitAndMarksRequestsWithoutContext) {
  EXPECT_EQ(Run("ForcesTheConnectionLimitAndMarksRequests"), 0u);
}

TEST_F(NetworkHooksTest, ReadsResponseCookiesAndStandsBetweenTheEngineAndItsCallback) {
  EXPECT_EQ(Run("ReadsResponseCookiesAndStandsBetweenTheEngineAndItsCallback"), 0u);
}
