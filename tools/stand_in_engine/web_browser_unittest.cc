#include <windows.h>

#include <mshtml.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/stand_in_engine/scoped_com.h"
#include "tools/stand_in_engine/testing/engine_test.h"

namespace {

using Microsoft::WRL::ComPtr;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using WebBrowserHostingTest = EngineTest;
using WebBrowserNavigationTest = EngineTest;

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

SIZE ClientSize(HWND window) {
  RECT rect = {};
  ::GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

RECT RectInParent(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring Text(const unique_bstr& text) {
  return text ? std::wstring(text.get(), ::SysStringLen(text.get())) : std::wstring();
}

std::wstring LocationUrl(IWebBrowser2* browser) {
  unique_bstr url;
  browser->get_LocationURL(url.put());
  return Text(url);
}

READYSTATE ReadyState(IWebBrowser2* browser) {
  READYSTATE state = READYSTATE_UNINITIALIZED;
  browser->get_ReadyState(&state);
  return state;
}

ComPtr<IHTMLDocument2> Document(IWebBrowser2* browser) {
  ComPtr<IDispatch> dispatch;
  ComPtr<IHTMLDocument2> document;
  if (SUCCEEDED(browser->get_Document(&dispatch)) && dispatch)
    dispatch.As(&document);
  return document;
}

std::wstring DocumentTitle(IWebBrowser2* browser) {
  const ComPtr<IHTMLDocument2> document = Document(browser);
  unique_bstr title;
  if (document)
    document->get_title(title.put());
  return Text(title);
}

std::wstring Cookies(const std::wstring& url) {
  wchar_t cookies[1024] = {};
  DWORD size = 1024;
  return ::InternetGetCookieW(url.c_str(), nullptr, cookies, &size) ? cookies : L"";
}

// A port where nothing listens: a server's, once it stopped.
uint16_t ClosedPort() {
  TestHttpServer server;
  if (!server.Start())
    return 0;
  const uint16_t port = server.port();
  server.Stop();
  return port;
}

TEST_F(WebBrowserHostingTest, InPlaceActivationBuildsTheWindowChainAtTheSitePosition) {
  ComPtr<IOleWindow> ole_window;
  ASSERT_TRUE(SUCCEEDED(container_.browser()->QueryInterface(IID_PPV_ARGS(&ole_window))));
  HWND embedding = nullptr;
  ASSERT_EQ(ole_window->GetWindow(&embedding), S_OK);
  EXPECT_EQ(ClassName(embedding), L"Shell Embedding");
  EXPECT_EQ(::GetParent(embedding), container_.window());
  EXPECT_TRUE(SameRect(RectInParent(embedding), container_.site().position));
  const HWND view = ::GetWindow(embedding, GW_CHILD);
  EXPECT_EQ(ClassName(view), L"Shell DocObject View");
  const HWND server = ::GetWindow(view, GW_CHILD);
  EXPECT_EQ(ClassName(server), L"Internet Explorer_Server");
  EXPECT_EQ(ClientSize(server).cx, 400);
  EXPECT_EQ(ClientSize(server).cy, 300);
  EXPECT_EQ(container_.site().in_place_activations, 1);

  ComPtr<IOleInPlaceObject> in_place;
  ASSERT_TRUE(SUCCEEDED(container_.browser()->QueryInterface(IID_PPV_ARGS(&in_place))));
  const RECT moved = {5, 6, 205, 106};
  ASSERT_EQ(in_place->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_TRUE(SameRect(RectInParent(embedding), moved));
  EXPECT_EQ(ClientSize(server).cx, 200);
  EXPECT_EQ(ClientSize(server).cy, 100);
  EXPECT_EQ(in_place->SetObjectRects(nullptr, &moved), E_POINTER);

  // UI activation reuses the windows and tells the site once.
  ComPtr<IOleObject> ole_object;
  ASSERT_EQ(container_.browser()->QueryInterface(IID_PPV_ARGS(&ole_object)), S_OK);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(ole_object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &container_.site(), 0,
                                 container_.window(), &moved),
              S_OK);
  }
  EXPECT_EQ(container_.site().ui_activations, 1);
  EXPECT_EQ(container_.site().in_place_activations, 1);
  EXPECT_EQ(ole_window->GetWindow(&embedding), S_OK);
  EXPECT_TRUE(SameRect(RectInParent(embedding), moved));

  ASSERT_EQ(container_.browser()->put_Visible(VARIANT_FALSE), S_OK);
  EXPECT_FALSE(::IsWindowVisible(embedding));
  ASSERT_EQ(container_.browser()->put_Visible(VARIANT_TRUE), S_OK);
  EXPECT_TRUE(::IsWindowVisible(embedding));

  ASSERT_EQ(in_place->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(::IsWindow(embedding));
  EXPECT_EQ(container_.site().in_place_deactivations, 1);
  HWND none = nullptr;
  EXPECT_EQ(ole_window->GetWindow(&none), E_FAIL);
  EXPECT_EQ(none, nullptr);
}

TEST_F(WebBrowserHostingTest, InterfacesShareOneIdentity) {
  IWebBrowser2* browser = container_.browser();
  ComPtr<IUnknown> identity;
  ASSERT_EQ(browser->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
  for (const IID& iid :
       {IID_IOleObject, IID_IOleWindow, IID_IOleInPlaceObject, IID_IOleInPlaceActiveObject,
        IID_IConnectionPointContainer, IID_IPersistStreamInit, IID_IDispatch, IID_IWebBrowserApp}) {
    ComPtr<IUnknown> part;
    ASSERT_EQ(browser->QueryInterface(iid, reinterpret_cast<void**>(part.GetAddressOf())), S_OK);
    ComPtr<IUnknown> part_identity;
    ASSERT_EQ(part.As(&part_identity), S_OK);
    EXPECT_EQ(part_identity.Get(), identity.Get());
  }
  // Events name the top browser by this pointer.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(browser->QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), static_cast<IUnknown*>(browser));
  ComPtr<IHTMLDocument2> not_a_document;
  EXPECT_EQ(browser->QueryInterface(IID_PPV_ARGS(&not_a_document)), E_NOINTERFACE);
  EXPECT_EQ(not_a_document, nullptr);
}

TEST_F(WebBrowserHostingTest, ConnectionPointTakesDispatchSinksOnly) {
  ComPtr<IConnectionPointContainer> points;
  ASSERT_EQ(container_.browser()->QueryInterface(IID_PPV_ARGS(&points)), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point, nullptr);
  ASSERT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point), S_OK);
  IID iid = {};
  ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, DIID_DWebBrowserEvents2);
  ComPtr<IConnectionPointContainer> back;
  ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
  EXPECT_EQ(back.Get(), points.Get());

  DWORD cookie = 1234;
  // The container's site has no IDispatch.
  EXPECT_EQ(point->Advise(static_cast<IOleClientSite*>(&container_.site()), &cookie),
            CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point->Unadvise(999), CONNECT_E_NOCONNECTION);
}

TEST_F(WebBrowserHostingTest, BeforeAnyNavigation) {
  IWebBrowser2* browser = container_.browser();
  EXPECT_EQ(ReadyState(browser), READYSTATE_UNINITIALIZED);
  ComPtr<IDispatch> document;
  EXPECT_EQ(browser->get_Document(&document), S_OK);
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(LocationUrl(browser), L"");
  EXPECT_EQ(browser->GoBack(), E_FAIL);
  EXPECT_EQ(browser->GoForward(), E_FAIL);
  EXPECT_EQ(browser->Refresh(), E_FAIL);
  EXPECT_EQ(browser->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
            OLECMDERR_E_DISABLED);
  EXPECT_EQ(container_.Navigate(L""), E_INVALIDARG);
  EXPECT_EQ(browser->Navigate(nullptr, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
  EXPECT_TRUE(container_.trace().empty());
}

TEST_F(WebBrowserHostingTest, PropertiesKeepWhatTheHostSet) {
  IWebBrowser2* browser = container_.browser();
  VARIANT_BOOL value = VARIANT_FALSE;
  ASSERT_EQ(browser->put_RegisterAsDropTarget(VARIANT_TRUE), S_OK);
  ASSERT_EQ(browser->get_RegisterAsDropTarget(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);
  ASSERT_EQ(browser->put_Silent(VARIANT_FALSE), S_OK);
  ASSERT_EQ(browser->get_Silent(&value), S_OK);
  EXPECT_EQ(value, VARIANT_FALSE);
  ASSERT_EQ(browser->put_Silent(VARIANT_TRUE), S_OK);
  ASSERT_EQ(browser->get_Silent(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);
  EXPECT_EQ(browser->get_Silent(nullptr), E_POINTER);
}

TEST_F(WebBrowserNavigationTest, PageWithFramesRaisesTheEngineSequence) {
  const std::wstring left = ServePage("/a.html", "<title>left</title>");
  const std::wstring right = ServePage("/b.html", "<title>right</title>");
  const std::wstring page =
      ServePage("/dir/page.html",
                "<!DOCTYPE html><title>Top &amp; more</title>"
                "<iframe src='../a.html' name='left'></iframe><iframe src=\"/b.html\"></iframe>");
  ASSERT_TRUE(NavigateAndWait(page));
  EXPECT_THAT(
      container_.trace(),
      ElementsAre(L"BeforeNavigate2 top " + page, L"GetHostInfo", L"NavigateComplete2 top " + page,
                  L"TitleChange Top & more", L"BeforeNavigate2 frame1 " + left,
                  L"BeforeNavigate2 frame2 " + right, L"NavigateComplete2 frame1 " + left,
                  L"DocumentComplete frame1 " + left, L"NavigateComplete2 frame2 " + right,
                  L"DocumentComplete frame2 " + right, L"DocumentComplete top " + page));
  EXPECT_EQ(container_.recorder().events()[3].target_frame, L"left");
  EXPECT_EQ(container_.recorder().events()[4].target_frame, L"");
  EXPECT_EQ(server_.RequestsFor("/dir/page.html").size(), 1u);
  EXPECT_EQ(server_.RequestsFor("/a.html").size(), 1u);
  EXPECT_EQ(server_.RequestsFor("/b.html").size(), 1u);

  IWebBrowser2* browser = container_.browser();
  EXPECT_EQ(ReadyState(browser), READYSTATE_COMPLETE);
  EXPECT_EQ(LocationUrl(browser), page);
  EXPECT_EQ(DocumentTitle(browser), L"Top & more");
  const ComPtr<IHTMLDocument2> document = Document(browser);
  ASSERT_TRUE(document);
  unique_bstr url, state;
  ASSERT_EQ(document->get_URL(url.put()), S_OK);
  EXPECT_EQ(Text(url), page);
  ASSERT_EQ(document->get_readyState(state.put()), S_OK);
  EXPECT_EQ(Text(state), L"complete");

  const std::vector<ScopedJournal::Line> host_info = journal_.Records(L"host_info");
  ASSERT_EQ(host_info.size(), 1u);
  EXPECT_EQ(host_info[0].Field(L"flags"), L"0x40244000");
}

TEST_F(WebBrowserNavigationTest, FramesAreBrowsersOfTheirOwn) {
  const std::wstring frame = ServePage("/f.html", "");
  const std::wstring page = ServePage("/p.html", "<iframe src=f.html name=one>");
  ASSERT_TRUE(NavigateAndWait(page));
  const EventRecorder::Event& before = container_.recorder().events()[3];
  ASSERT_EQ(before.frame, L"frame1");
  ComPtr<IWebBrowser2> frame_browser;
  ASSERT_EQ(before.frame_identity.As(&frame_browser), S_OK);
  unique_bstr url, name;
  ASSERT_EQ(frame_browser->get_LocationURL(url.put()), S_OK);
  EXPECT_EQ(Text(url), frame);
  ASSERT_EQ(frame_browser->get_LocationName(name.put()), S_OK);
  EXPECT_EQ(Text(name), L"one");
  EXPECT_EQ(ReadyState(frame_browser.Get()), READYSTATE_COMPLETE);
}

TEST_F(WebBrowserNavigationTest, CancelledNavigationLoadsNothing) {
  const std::wstring cancelled = ServePage("/cancelled.html", "<title>no</title>");
  const std::wstring page = ServePage("/page.html", "<title>yes</title>");
  container_.recorder().cancel = [](const EventRecorder::Event& event) {
    return event.url.find(L"cancelled") != std::wstring::npos;
  };
  ASSERT_EQ(container_.Navigate(cancelled), S_OK);
  // BeforeNavigate2 comes inside Navigate, so its answer is known at once.
  EXPECT_THAT(container_.trace(), ElementsAre(L"BeforeNavigate2 top " + cancelled));
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_UNINITIALIZED);

  ASSERT_TRUE(NavigateAndWait(page));
  EXPECT_THAT(container_.trace(), Not(Contains(HasSubstr(L"Complete2 top " + cancelled))));
  EXPECT_TRUE(server_.RequestsFor("/cancelled.html").empty());
}

TEST_F(WebBrowserNavigationTest, CancelledFrameIsNotLoadedAndTheOthersAre) {
  const std::wstring skipped = ServePage("/skipped.html", "");
  const std::wstring kept = ServePage("/kept.html", "");
  const std::wstring page =
      ServePage("/page.html", "<iframe src=skipped.html><iframe src=kept.html>");
  container_.recorder().cancel = [](const EventRecorder::Event& event) {
    return event.url.find(L"skipped") != std::wstring::npos;
  };
  ASSERT_TRUE(NavigateAndWait(page));
  EXPECT_THAT(
      container_.trace(),
      ElementsAre(L"BeforeNavigate2 top " + page, L"GetHostInfo", L"NavigateComplete2 top " + page,
                  L"TitleChange " + page, L"BeforeNavigate2 frame1 " + skipped,
                  L"BeforeNavigate2 frame2 " + kept, L"NavigateComplete2 frame2 " + kept,
                  L"DocumentComplete frame2 " + kept, L"DocumentComplete top " + page));
  EXPECT_TRUE(server_.RequestsFor("/skipped.html").empty());
}

TEST_F(WebBrowserNavigationTest, HttpErrorIsReportedThenTheServersPageShown) {
  server_.Serve("/missing.html", {.status = 404, .body = "<title>Missing</title>"});
  const std::wstring missing = server_.Url("/missing.html");
  ASSERT_TRUE(NavigateAndWait(missing));
  EXPECT_THAT(
      container_.trace(),
      ElementsAre(L"BeforeNavigate2 top " + missing, L"NavigateError top " + missing + L" 0x194",
                  L"GetHostInfo", L"NavigateComplete2 top " + missing, L"TitleChange Missing",
                  L"DocumentComplete top " + missing));
}

TEST_F(WebBrowserNavigationTest, CancelledHttpErrorShowsNothing) {
  server_.Serve("/missing.html", {.status = 500, .body = "<title>Broken</title>"});
  const std::wstring missing = server_.Url("/missing.html");
  const std::wstring page = ServePage("/page.html", "<title>fine</title>");
  container_.recorder().cancel = [](const EventRecorder::Event& event) {
    return event.name == L"NavigateError";
  };
  ASSERT_EQ(container_.Navigate(missing), S_OK);
  ASSERT_TRUE(container_.WaitForTrace(L"NavigateError top " + missing + L" 0x1F4"));
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_UNINITIALIZED);
  ASSERT_TRUE(NavigateAndWait(page));
  EXPECT_THAT(container_.trace(), Not(Contains(L"TitleChange Broken")));
  EXPECT_EQ(DocumentTitle(container_.browser()), L"fine");
}

TEST_F(WebBrowserNavigationTest, RefusedConnectionEndsInNavigateErrorAlone) {
  const uint16_t port = ClosedPort();
  ASSERT_NE(port, 0);
  const std::wstring refused = L"http://127.0.0.1:" + std::to_wstring(port) + L"/x.html";
  ASSERT_EQ(container_.Navigate(refused), S_OK);
  ASSERT_TRUE(container_.WaitForTracePrefix(L"NavigateError top " + refused));
  EXPECT_EQ(container_.recorder().events().back().status, INET_E_CANNOT_CONNECT);
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_UNINITIALIZED);
  ASSERT_TRUE(NavigateAndWait(ServePage("/page.html", "")));
  EXPECT_THAT(container_.trace(), Not(Contains(L"NavigateComplete2 top " + refused)));
}

TEST_F(WebBrowserNavigationTest, FileUrlsAboutBlankAndUnknownSchemes) {
  wchar_t directory[MAX_PATH], path[MAX_PATH];
  ASSERT_TRUE(::GetTempPathW(MAX_PATH, directory));
  ASSERT_TRUE(::GetTempFileNameW(directory, L"sip", 0, path));
  {
    unique_handle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    const char page[] = "<title>from disk \xE2\x9C\x93</title>";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), page, sizeof(page) - 1, &written, nullptr));
  }
  wchar_t url[INTERNET_MAX_URL_LENGTH];
  DWORD length = INTERNET_MAX_URL_LENGTH;
  ASSERT_EQ(::UrlCreateFromPathW(path, url, &length, 0), S_OK);
  ASSERT_TRUE(NavigateAndWait(url));
  EXPECT_EQ(DocumentTitle(container_.browser()), L"from disk \x2713");
  ::DeleteFileW(path);

  ASSERT_TRUE(NavigateAndWait(L"about:blank"));
  EXPECT_THAT(container_.trace(), Contains(L"TitleChange about:blank"));
  EXPECT_EQ(DocumentTitle(container_.browser()), L"");

  ASSERT_EQ(container_.Navigate(url), S_OK);  // deleted meanwhile
  ASSERT_TRUE(container_.WaitForTracePrefix(std::wstring(L"NavigateError top ") + url));
  EXPECT_EQ(container_.recorder().events().back().status, INET_E_RESOURCE_NOT_FOUND);
  ASSERT_EQ(container_.Navigate(L"nosuch:thing"), S_OK);
  ASSERT_TRUE(container_.WaitForTracePrefix(L"NavigateError top nosuch:thing"));
  EXPECT_EQ(container_.recorder().events().back().status, INET_E_UNKNOWN_PROTOCOL);
  // A failed navigation leaves the page that was there.
  EXPECT_EQ(LocationUrl(container_.browser()), L"about:blank");
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_COMPLETE);
}

TEST_F(WebBrowserNavigationTest, RedirectReportsTheFinalUrl) {
  const std::wstring target = ServePage("/new.html", "<title>moved</title>");
  server_.Serve("/old.html", {.status = 302, .headers = {{"Location", "/new.html"}}});
  const std::wstring old = server_.Url("/old.html");
  ASSERT_EQ(container_.Navigate(old), S_OK);
  ASSERT_TRUE(container_.WaitForTrace(L"DocumentComplete top " + target));
  EXPECT_THAT(
      container_.trace(),
      ElementsAre(L"BeforeNavigate2 top " + old, L"GetHostInfo", L"NavigateComplete2 top " + target,
                  L"TitleChange moved", L"DocumentComplete top " + target));
  EXPECT_EQ(LocationUrl(container_.browser()), target);
}

TEST_F(WebBrowserNavigationTest, CookiesTravelThroughTheProcessStore) {
  server_.Serve("/page.html", {.headers = {{"Set-Cookie", "from_server=2; path=/"}}});
  const std::wstring page = server_.Url("/page.html");
  ASSERT_TRUE(::InternetSetCookieW(page.c_str(), nullptr, L"from_host=1; path=/"));
  ASSERT_TRUE(NavigateAndWait(page));
  EXPECT_THAT(Cookies(page), HasSubstr(L"from_server=2"));
  ASSERT_TRUE(NavigateAndWait(ServePage("/next.html", "")));
  const std::vector<TestHttpServer::Request> first = server_.RequestsFor("/page.html");
  const std::vector<TestHttpServer::Request> next = server_.RequestsFor("/next.html");
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_THAT(first[0].Header("Cookie").value_or(""), HasSubstr("from_host=1"));
  EXPECT_THAT(next[0].Header("Cookie").value_or(""), HasSubstr("from_server=2"));
}

TEST_F(WebBrowserNavigationTest, StopDropsTheLoadUnderWay) {
  server_.Serve("/slow.html", {.body = "<title>slow</title>", .hold = true});
  const std::wstring slow = server_.Url("/slow.html");
  ASSERT_EQ(container_.Navigate(slow), S_OK);
  ASSERT_TRUE(server_.WaitForRequests(1));
  VARIANT_BOOL busy = VARIANT_FALSE;
  ASSERT_EQ(container_.browser()->get_Busy(&busy), S_OK);
  EXPECT_EQ(busy, VARIANT_TRUE);
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_LOADING);
  ASSERT_EQ(container_.browser()->Stop(), S_OK);
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_UNINITIALIZED);
  server_.ReleaseHeld();
  ASSERT_TRUE(PumpMessagesUntil([&] { return !journal_.Records(L"stale_load").empty(); }));
  EXPECT_THAT(container_.trace(), ElementsAre(L"BeforeNavigate2 top " + slow));
  ASSERT_TRUE(NavigateAndWait(ServePage("/page.html", "")));
}

TEST_F(WebBrowserNavigationTest, ANewNavigationReplacesOneUnderWay) {
  server_.Serve("/first.html", {.body = "<title>first</title>", .hold = true});
  server_.Serve("/second.html", {.body = "<title>second</title>", .hold = true});
  const std::wstring first = server_.Url("/first.html");
  const std::wstring second = server_.Url("/second.html");
  ASSERT_EQ(container_.Navigate(first), S_OK);
  ASSERT_TRUE(server_.WaitForRequests(1));
  ASSERT_EQ(container_.Navigate(second), S_OK);
  ASSERT_TRUE(server_.WaitForRequests(2));
  // The first page arrives while the second is still awaited.
  server_.ReleaseHeld("/first.html");
  ASSERT_TRUE(PumpMessagesUntil([&] { return !journal_.Records(L"stale_load").empty(); }));
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_LOADING);
  server_.ReleaseHeld("/second.html");
  ASSERT_TRUE(container_.WaitForTrace(L"DocumentComplete top " + second));
  EXPECT_THAT(container_.trace(), Not(Contains(L"TitleChange first")));
  EXPECT_EQ(LocationUrl(container_.browser()), second);
}

TEST_F(WebBrowserNavigationTest, HostNavigatingInsideAnEventWins) {
  const std::wstring first = ServePage("/first.html", "<title>first</title><iframe src=f.html>");
  const std::wstring second = ServePage("/second.html", "<title>second</title>");
  container_.recorder().after = [&](const EventRecorder::Event& event) {
    if (event.name == L"NavigateComplete2" && event.url == first)
      container_.Navigate(second);
  };
  ASSERT_EQ(container_.Navigate(first), S_OK);
  ASSERT_TRUE(container_.WaitForTrace(L"DocumentComplete top " + second));
  EXPECT_THAT(container_.trace(), Not(Contains(L"TitleChange first")));
  EXPECT_THAT(container_.trace(), Not(Contains(HasSubstr(L"frame1"))));
  EXPECT_EQ(DocumentTitle(container_.browser()), L"second");
}

TEST_F(WebBrowserNavigationTest, HistoryMovesBackAndForward) {
  const std::wstring a = ServePage("/a.html", "<title>A</title>");
  const std::wstring b = ServePage("/b.html", "<title>B</title>");
  const std::wstring c = ServePage("/c.html", "<title>C</title>");
  IWebBrowser2* browser = container_.browser();
  const auto move = [&](HRESULT (STDMETHODCALLTYPE IWebBrowser2::*step)(),
                        const std::wstring& expected) {
    container_.ClearTrace();
    return (browser->*step)() == S_OK &&
           container_.WaitForTrace(L"DocumentComplete top " + expected) &&
           container_.trace().front() == L"BeforeNavigate2 top " + expected;
  };
  ASSERT_TRUE(NavigateAndWait(a));
  ASSERT_TRUE(NavigateAndWait(b));
  EXPECT_EQ(browser->GoForward(), E_FAIL);
  ASSERT_TRUE(move(&IWebBrowser2::GoBack, a));
  EXPECT_EQ(browser->GoBack(), E_FAIL);
  ASSERT_TRUE(move(&IWebBrowser2::GoForward, b));
  ASSERT_TRUE(move(&IWebBrowser2::GoBack, a));
  // A new page from the middle of the history drops what lay ahead.
  ASSERT_TRUE(NavigateAndWait(c));
  EXPECT_EQ(browser->GoForward(), E_FAIL);
  ASSERT_TRUE(move(&IWebBrowser2::GoBack, a));
  EXPECT_EQ(LocationUrl(browser), a);
}

TEST_F(WebBrowserNavigationTest, RefreshReloadsWithoutNavigationEvents) {
  const std::wstring page = ServePage("/page.html", "<title>again</title><iframe src=f.html>");
  ASSERT_TRUE(NavigateAndWait(page));
  container_.ClearTrace();
  ASSERT_EQ(container_.browser()->Refresh(), S_OK);
  ASSERT_TRUE(container_.WaitForTrace(L"TitleChange again"));
  EXPECT_THAT(container_.trace(), ElementsAre(L"GetHostInfo", L"TitleChange again"));
  EXPECT_EQ(server_.RequestsFor("/page.html").size(), 2u);
  EXPECT_EQ(server_.RequestsFor("/f.html").size(), 1u);
  EXPECT_EQ(ReadyState(container_.browser()), READYSTATE_COMPLETE);
}

TEST_F(WebBrowserNavigationTest, DocumentTitleFocusAndProperties) {
  ASSERT_TRUE(NavigateAndWait(ServePage("/page.html", "<!doctype html><title>t</title>")));
  const ComPtr<IHTMLDocument2> document = Document(container_.browser());
  ASSERT_TRUE(document);

  const unique_bstr changed = MakeBstr(L"changed");
  ASSERT_EQ(document->put_title(changed.get()), S_OK);
  EXPECT_EQ(container_.trace().back(), L"TitleChange changed");
  EXPECT_EQ(DocumentTitle(container_.browser()), L"changed");

  ComPtr<IHTMLWindow2> window;
  ASSERT_EQ(document->get_parentWindow(&window), S_OK);
  ComPtr<IHTMLDocument4> document4;
  ASSERT_EQ(document.As(&document4), S_OK);
  ::SetFocus(container_.window());
  VARIANT_BOOL focused = VARIANT_TRUE;
  ASSERT_EQ(document4->hasFocus(&focused), S_OK);
  EXPECT_EQ(focused, VARIANT_FALSE);
  ASSERT_EQ(window->focus(), S_OK);
  EXPECT_EQ(ClassName(::GetFocus()), L"Internet Explorer_Server");
  ASSERT_EQ(document4->hasFocus(&focused), S_OK);
  EXPECT_EQ(focused, VARIANT_TRUE);
  ::SetFocus(container_.window());
  ASSERT_EQ(document4->focus(), S_OK);
  EXPECT_EQ(ClassName(::GetFocus()), L"Internet Explorer_Server");

  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(document.As(&dispatch), S_OK);
  wchar_t mode_name[] = L"DocumentMode";
  LPOLESTR names[] = {mode_name};
  DISPID id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  DISPPARAMS none = {};
  ScopedVariant mode;
  ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             mode.get(), nullptr, nullptr),
            S_OK);
  EXPECT_EQ(mode.value().vt, VT_I4);
  wchar_t other_name[] = L"cookie";
  names[0] = other_name;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(WebBrowserNavigationTest, DocumentOutlivesItsBrowser) {
  ASSERT_TRUE(NavigateAndWait(ServePage("/page.html", "<title>kept</title>")));
  ComPtr<IHTMLDocument2> document = Document(container_.browser());
  ASSERT_TRUE(document);
  container_.Unhost();
  unique_bstr title;
  ASSERT_EQ(document->get_title(title.put()), S_OK);
  EXPECT_EQ(Text(title), L"kept");
  ComPtr<IHTMLDocument4> document4;
  ASSERT_EQ(document.As(&document4), S_OK);
  EXPECT_EQ(document4->focus(), E_FAIL);  // no window to focus any more
}

TEST_F(WebBrowserNavigationTest, PrintCommandsAreAcceptedAndJournalled) {
  const std::wstring page = ServePage("/page.html", "");
  ASSERT_TRUE(NavigateAndWait(page));
  IWebBrowser2* browser = container_.browser();
  OLECMDF status = {};
  ASSERT_EQ(browser->QueryStatusWB(OLECMDID_PRINT, &status), S_OK);
  EXPECT_EQ(status, OLECMDF_SUPPORTED | OLECMDF_ENABLED);
  EXPECT_EQ(browser->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER, nullptr, nullptr), S_OK);
  EXPECT_EQ(browser->ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(browser->ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
            OLECMDERR_E_NOTSUPPORTED);
  const std::vector<ScopedJournal::Line> print = journal_.Records(L"print");
  ASSERT_EQ(print.size(), 1u);
  EXPECT_EQ(print[0].Field(L"url"), page);
  EXPECT_EQ(print[0].Field(L"option"), L"1");
  EXPECT_EQ(journal_.Records(L"print_preview").size(), 1u);
}

}  // namespace
