#include <windows.h>

#include <mshtml.h>
#include <wininet.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/stand_in_engine/testing/engine_test.h"

namespace {

using Microsoft::WRL::ComPtr;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

constexpr GUID kDocHostCommandHandler = {0xf38bc242,
                                         0xb950,
                                         0x11d1,
                                         {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

std::wstring Cookies(const std::wstring& url) {
  wchar_t cookies[1024] = {};
  DWORD size = 1024;
  return ::InternetGetCookieW(url.c_str(), nullptr, cookies, &size) ? cookies : L"";
}

// The trace from the top document's DocumentComplete on.
std::vector<std::wstring> TraceAfterLoad(const std::vector<std::wstring>& trace,
                                         const std::wstring& url) {
  const auto loaded = std::find(trace.begin(), trace.end(), L"DocumentComplete top " + url);
  return loaded == trace.end() ? std::vector<std::wstring>()
                               : std::vector<std::wstring>(loaded + 1, trace.end());
}

class PageActionsTest : public EngineTest {
 protected:
  // Loads `page` and pumps until the engine journalled `record`, the last
  // action the test waits for.
  bool LoadAndWaitFor(const std::wstring& page, std::wstring_view record) {
    return NavigateAndWait(page) &&
           PumpMessagesUntil([&] { return !journal_.Records(record).empty(); });
  }
};

TEST_F(PageActionsTest, OpenWithUserActionAsksTheManagerThenRaisesNewWindow3) {
  const std::wstring popup = ServePage("/popup.html", "<title>popup</title>");
  const std::wstring page = ServePage(
      "/dir/page.html",
      "<!--standin:open url=\"../popup.html\" name=\"win\" features=\"width=300,height=200\" "
      "user-action=\"1\"-->");
  TestContainer popup_container;
  ASSERT_TRUE(popup_container.Host(dll_.CreateBrowser()));
  container_.recorder().new_window = [&](const EventRecorder::Event&) -> IDispatch* {
    popup_container.browser()->AddRef();
    return popup_container.browser();
  };
  ASSERT_TRUE(NavigateAndWait(page));
  ASSERT_TRUE(popup_container.WaitForTrace(L"DocumentComplete top " + popup));

  EXPECT_THAT(TraceAfterLoad(container_.trace(), page),
              ElementsAre(L"EvaluateNewWindow " + popup,
                          L"NewWindow3 " + popup + L" 0x40006 from " + page));
  ASSERT_EQ(container_.site().evaluations.size(), 1u);
  const TestSite::Evaluation& evaluation = container_.site().evaluations[0];
  EXPECT_EQ(evaluation.url, popup);
  EXPECT_EQ(evaluation.name, L"win");
  EXPECT_EQ(evaluation.url_context, page);
  EXPECT_EQ(evaluation.features, L"width=300,height=200");
  EXPECT_FALSE(evaluation.replace);
  EXPECT_EQ(evaluation.flags, 0x40006u);
  EXPECT_NE(evaluation.user_action_time, 0u);
  // The host's new-window cache matches the two calls by URL, opener and flags.
  const EventRecorder::Event& new_window = container_.recorder().events().back();
  EXPECT_EQ(new_window.url, evaluation.url);
  EXPECT_EQ(new_window.url_context, *evaluation.url_context);
  EXPECT_EQ(new_window.flags, evaluation.flags);

  const std::vector<ScopedJournal::Line> outcome = journal_.Records(L"new_window");
  ASSERT_EQ(outcome.size(), 1u);
  EXPECT_EQ(outcome[0].Field(L"outcome"), L"hosted");
  EXPECT_EQ(outcome[0].Field(L"navigate"), L"0x00000000");
  popup_container.Unhost();
}

TEST_F(PageActionsTest, OpenWithoutUserActionOrFeaturesAndWithGivenFlags) {
  const std::wstring page = ServePage("/page.html",
                                      "<!--standin:open url=\"/a.html\"-->"
                                      "<!--standin:open url=\"/b.html\" flags=\"0x10000\" "
                                      "user-action=\"1\" features=\"width=1\"-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"new_window"));
  ASSERT_TRUE(PumpMessagesUntil([&] { return journal_.Records(L"new_window").size() == 2; }));
  const std::vector<TestSite::Evaluation>& evaluations = container_.site().evaluations;
  ASSERT_EQ(evaluations.size(), 2u);
  EXPECT_EQ(evaluations[0].flags, 0u);
  EXPECT_EQ(evaluations[0].user_action_time, 0u);
  EXPECT_FALSE(evaluations[0].name);
  EXPECT_FALSE(evaluations[0].features);
  EXPECT_EQ(evaluations[1].flags, 0x10000u);
  EXPECT_THAT(container_.trace(),
              Contains(L"NewWindow3 " + server_.Url("/a.html") + L" 0x0 from " + page));
  EXPECT_THAT(container_.trace(),
              Contains(L"NewWindow3 " + server_.Url("/b.html") + L" 0x10000 from " + page));
  // Nobody handed over a browser.
  EXPECT_EQ(journal_.Records(L"new_window")[0].Field(L"outcome"), L"unhosted");
}

TEST_F(PageActionsTest, BlockedByTheManagerNoNewWindow3AndScriptsGoOn) {
  container_.site().evaluate_answer = S_FALSE;
  const std::wstring page = ServePage(
      "/page.html", "<!--standin:open url=x.html--><!--standin:cookie value=\"after=1\"-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"cookie"));
  EXPECT_THAT(container_.trace(), Contains(L"EvaluateNewWindow " + server_.Url("/x.html")));
  EXPECT_THAT(container_.trace(), Not(Contains(HasSubstr(L"NewWindow3"))));
  EXPECT_EQ(journal_.Records(L"evaluate_new_window")[0].Field(L"result"), L"0x00000001");
}

TEST_F(PageActionsTest, WithoutAManagerNewWindow3StillComes) {
  container_.site().offer_new_window_manager = false;
  const std::wstring page = ServePage("/page.html", "<!--standin:open url=x.html-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"new_window"));
  EXPECT_TRUE(container_.site().evaluations.empty());
  EXPECT_THAT(container_.trace(), Contains(HasSubstr(L"NewWindow3 ")));
  EXPECT_EQ(journal_.Records(L"evaluate_new_window")[0].Field(L"result"), L"no-manager");
}

TEST_F(PageActionsTest, CancelledNewWindowOpensNothing) {
  container_.recorder().cancel = [](const EventRecorder::Event& event) {
    return event.name == L"NewWindow3";
  };
  const std::wstring page = ServePage("/page.html", "<!--standin:open url=x.html-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"new_window"));
  EXPECT_EQ(journal_.Records(L"new_window")[0].Field(L"outcome"), L"cancelled");
  EXPECT_TRUE(server_.RequestsFor("/x.html").empty());
}

TEST_F(PageActionsTest, CookieGoesThroughTheProcessStore) {
  const std::wstring page =
      ServePage("/page.html", "<!--standin:cookie value=\"from_page=7; path=/\"-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"cookie"));
  const ScopedJournal::Line cookie = journal_.Records(L"cookie")[0];
  EXPECT_EQ(cookie.Field(L"url"), page);
  EXPECT_EQ(cookie.Field(L"value"), L"from_page=7; path=/");
  EXPECT_EQ(cookie.Field(L"result"), L"1");
  EXPECT_THAT(Cookies(page), HasSubstr(L"from_page=7"));
  ASSERT_TRUE(NavigateAndWait(ServePage("/next.html", "")));
  EXPECT_THAT(server_.RequestsFor("/next.html")[0].Header("Cookie").value_or(""),
              HasSubstr("from_page=7"));
}

TEST_F(PageActionsTest, CloseAsksTheHostAndOnlyARefusalRaisesWindowClosing) {
  const std::wstring page = ServePage("/page.html", "<!--standin:close-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"close"));
  EXPECT_THAT(TraceAfterLoad(container_.trace(), page), ElementsAre(L"Exec 45"));
  ASSERT_EQ(container_.site().commands.size(), 1u);
  const TestSite::Command& command = container_.site().commands[0];
  ASSERT_TRUE(command.group);
  EXPECT_EQ(*command.group, kDocHostCommandHandler);
  EXPECT_EQ(journal_.Records(L"close")[0].Field(L"exec"), L"0x00000001");

  container_.site().close_answer = OLECMDERR_E_NOTSUPPORTED;
  container_.ClearTrace();
  ASSERT_TRUE(NavigateAndWait(page));
  ASSERT_TRUE(PumpMessagesUntil([&] { return journal_.Records(L"close").size() == 2; }));
  EXPECT_THAT(TraceAfterLoad(container_.trace(), page), ElementsAre(L"Exec 45", L"WindowClosing"));
  EXPECT_FALSE(container_.recorder().events().back().child_window);
  EXPECT_EQ(journal_.Records(L"close")[1].Field(L"window_closing"), L"raised");
}

TEST_F(PageActionsTest, ScriptErrorHandsTheDocumentAndGoesOnOnlyWhenTold) {
  const std::wstring page = ServePage(
      "/page.html",
      "<!--standin:script-error message=\"oops\"--><!--standin:cookie value=\"after=1\"-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"script_error"));
  ASSERT_EQ(container_.site().commands.size(), 1u);
  const TestSite::Command& command = container_.site().commands[0];
  EXPECT_EQ(command.id, static_cast<DWORD>(OLECMDID_SHOWSCRIPTERROR));
  EXPECT_EQ(command.in_type, VT_UNKNOWN);
  ComPtr<IHTMLDocument2> document;
  ASSERT_EQ(command.in_object.As(&document), S_OK);
  EXPECT_TRUE(command.has_out);
  EXPECT_EQ(journal_.Records(L"script_error")[0].Field(L"continue"), L"1");
  EXPECT_EQ(journal_.Records(L"cookie").size(), 1u);

  // Told to stop, or not answered at all: the page's scripts end there.
  for (const std::optional<VARIANT_BOOL> answer :
       {std::optional<VARIANT_BOOL>(VARIANT_FALSE), std::optional<VARIANT_BOOL>()}) {
    container_.site().script_error_answer = answer;
    const size_t errors = journal_.Records(L"script_error").size();
    ASSERT_TRUE(NavigateAndWait(page));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return journal_.Records(L"script_error").size() == errors + 1; }));
    EXPECT_EQ(journal_.Records(L"script_error").back().Field(L"continue"), L"0");
    EXPECT_EQ(journal_.Records(L"cookie").size(), 1u);
  }
}

TEST_F(PageActionsTest, WithoutUiHandlerOrCommandTargetTheEngineGoesItsOwnWay) {
  container_.site().offer_ui_handler = false;
  container_.site().offer_command_target = false;
  const std::wstring page = ServePage("/page.html",
                                      "<!--standin:close--><!--standin:script-error-->"
                                      "<!--standin:cookie value=\"never=1\"-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"script_error"));
  EXPECT_EQ(container_.site().host_info_calls, 0);
  EXPECT_EQ(journal_.Records(L"host_info")[0].Field(L"flags"), L"none");
  EXPECT_THAT(TraceAfterLoad(container_.trace(), page), ElementsAre(L"WindowClosing"));
  EXPECT_EQ(journal_.Records(L"close")[0].Field(L"exec"), L"0x80004002");  // E_NOINTERFACE
  EXPECT_EQ(journal_.Records(L"script_error")[0].Field(L"continue"), L"0");
  EXPECT_TRUE(journal_.Records(L"cookie").empty());
}

TEST_F(PageActionsTest, ActionsRunAfterTheLoadInDocumentOrder) {
  const std::wstring page = ServePage("/page.html",
                                      "<!--standin:close--><title>t</title>"
                                      "<iframe src=f.html><!--standin:open url=x.html-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"new_window"));
  EXPECT_THAT(TraceAfterLoad(container_.trace(), page),
              ElementsAre(L"Exec 45", L"EvaluateNewWindow " + server_.Url("/x.html"),
                          L"NewWindow3 " + server_.Url("/x.html") + L" 0x0 from " + page));
}

TEST_F(PageActionsTest, NavigatingAwayEndsThePagesActions) {
  const std::wstring other = ServePage("/other.html", "");
  const std::wstring page = ServePage(
      "/page.html", "<!--standin:open url=x.html--><!--standin:cookie value=\"late=1\"-->");
  container_.recorder().after = [&](const EventRecorder::Event& event) {
    if (event.name == L"NewWindow3")
      container_.Navigate(other);
  };
  ASSERT_TRUE(NavigateAndWait(page));
  ASSERT_TRUE(container_.WaitForTrace(L"DocumentComplete top " + other));
  EXPECT_TRUE(journal_.Records(L"cookie").empty());
}

TEST_F(PageActionsTest, MalformedMarkersAreJournalledAndSkipped) {
  const std::wstring page =
      ServePage("/page.html",
                "<!--standin:open url=x.html user_action=1--><!--standin:cookie value=\"ok=1\"-->");
  ASSERT_TRUE(LoadAndWaitFor(page, L"cookie"));
  const std::vector<ScopedJournal::Line> ignored = journal_.Records(L"ignored_marker");
  ASSERT_EQ(ignored.size(), 1u);
  EXPECT_EQ(ignored[0].Field(L"text"), L"standin:open url=x.html user_action=1");
  EXPECT_TRUE(container_.site().evaluations.empty());
}

}  // namespace
