// The stand-in's events against the shapes the engine gives them
// (DWebBrowserEvents2 in exdisp.idl): a double that sends other shapes would
// let the product's decoding pass here and fail on Windows.

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"
#include "ui_base/com_object.h"
#include "utils/ole_owners.h"

namespace {

// Writes each event as its name and its arguments' types in declared order,
// with what a by-reference VARIANT holds and whether a frame argument is the
// top browser: "NavigateComplete2(DISPATCH=top, VARIANT*=BSTR)".
class ShapeRecorder final : public ComObject<IDispatch> {
 public:
  explicit ShapeRecorder(com_ptr<IUnknown> top) : top_(std::move(top)) {}

  std::vector<std::wstring> events;

  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id,
                      REFIID,
                      LCID,
                      WORD,
                      DISPPARAMS* parameters,
                      VARIANT*,
                      EXCEPINFO*,
                      UINT*) override {
    static const std::map<DISPID, std::wstring> kNames = {
        {DISPID_BEFORENAVIGATE2, L"BeforeNavigate2"},
        {DISPID_NAVIGATECOMPLETE2, L"NavigateComplete2"},
        {DISPID_DOCUMENTCOMPLETE, L"DocumentComplete"},
        {DISPID_NAVIGATEERROR, L"NavigateError"},
        {DISPID_TITLECHANGE, L"TitleChange"},
        {DISPID_NEWWINDOW3, L"NewWindow3"},
        {DISPID_WINDOWCLOSING, L"WindowClosing"}};
    std::wstring shape = kNames.contains(id) ? kNames.at(id) : std::to_wstring(id);
    for (UINT i = parameters->cArgs; i-- > 0;) {
      const VARIANTARG& argument = parameters->rgvarg[i];
      shape += (i + 1 == parameters->cArgs ? L"(" : L", ") + TypeName(argument.vt);
      if (argument.vt == (VT_BYREF | VT_VARIANT))
        shape += L"=" + TypeName(argument.pvarVal->vt);
      if (argument.vt == VT_DISPATCH)
        shape += IsSameComObject(argument.pdispVal, top_.get()) ? L"=top" : L"=frame";
    }
    events.push_back(shape + L")");
    return S_OK;
  }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IDispatch>(this)});
  }

 private:
  static std::wstring TypeName(VARTYPE type) {
    static const std::map<VARTYPE, std::wstring> kTypes = {
        {VT_EMPTY, L"EMPTY"}, {VT_I4, L"I4"},           {VT_BSTR, L"BSTR"},
        {VT_BOOL, L"BOOL"},   {VT_VARIANT, L"VARIANT"}, {VT_DISPATCH, L"DISPATCH"}};
    const VARTYPE base = type & VT_TYPEMASK;
    return (kTypes.contains(base) ? kTypes.at(base) : std::to_wstring(base)) +
           (type & VT_BYREF ? L"*" : L"");
  }

  const com_ptr<IUnknown> top_;
};

TEST(StandInEngineTest, EventsHaveTheEnginesArgumentShapes) {
  ScopedStandInEngine engine;
  ASSERT_TRUE(engine.registered());
  ScopedOleInitialize ole;
  TestHttpServer server;
  ASSERT_TRUE(server.Start());
  // The iframe gets a 404; the page opens a window and closes itself, and
  // with no host to take either the engine raises NewWindow3 and
  // WindowClosing.
  server.Serve("/page.html",
               {.body = "<title>T</title><iframe src=\"/missing.html\"></iframe>"
                        "<!--standin:open url=\"/popup.html\"--><!--standin:close-->"});
  com_ptr<IWebBrowser2> browser;
  ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2,
                               browser.put_void()),
            S_OK);
  com_ptr<IConnectionPointContainer> points;
  com_ptr<IConnectionPoint> point;
  ASSERT_EQ(browser.query(&points), S_OK);
  ASSERT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put()), S_OK);
  const com_ptr<ShapeRecorder> recorder =
      MakeComObject<ShapeRecorder>(com_ptr<IUnknown>(browser.get()));
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(recorder.get(), &cookie), S_OK);

  unique_variant empty;
  for (const std::wstring& url : {server.Url("/page.html"), std::wstring(L"bogus:page")}) {
    const size_t before = recorder->events.size();
    const unique_bstr text = MakeBstr(url.c_str());
    ASSERT_EQ(browser->Navigate(text.get(), empty.get(), empty.get(), empty.get(), empty.get()),
              S_OK);
    const std::wstring last = before == 0 ? L"WindowClosing" : L"NavigateError";
    EXPECT_TRUE(PumpMessagesUntil([&] {
      return recorder->events.size() > before && recorder->events.back().starts_with(last);
    }));
  }
  PumpMessagesFor(200);  // anything late would show
  EXPECT_EQ(point->Unadvise(cookie), S_OK);

  const std::wstring before_navigate =
      L"BeforeNavigate2(DISPATCH=%, VARIANT*=BSTR, VARIANT*=I4, VARIANT*=BSTR, VARIANT*=EMPTY, "
      L"VARIANT*=BSTR, BOOL*)";
  const std::wstring navigate_error =
      L"NavigateError(DISPATCH=%, VARIANT*=BSTR, VARIANT*=BSTR, VARIANT*=I4, BOOL*)";
  const auto at = [](std::wstring shape, const wchar_t* frame) {
    return shape.replace(shape.find(L'%'), 1, frame);
  };
  EXPECT_EQ(recorder->events,
            (std::vector<std::wstring>{
                at(before_navigate, L"top"), L"NavigateComplete2(DISPATCH=top, VARIANT*=BSTR)",
                L"TitleChange(BSTR)", at(before_navigate, L"frame"), at(navigate_error, L"frame"),
                L"NavigateComplete2(DISPATCH=frame, VARIANT*=BSTR)",
                L"DocumentComplete(DISPATCH=frame, VARIANT*=BSTR)",
                L"DocumentComplete(DISPATCH=top, VARIANT*=BSTR)",
                L"NewWindow3(DISPATCH*, BOOL*, I4, BSTR, BSTR)", L"WindowClosing(BOOL, BOOL*)",
                at(before_navigate, L"top"), at(navigate_error, L"top")}));
}

}  // namespace
