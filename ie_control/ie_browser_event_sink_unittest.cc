#include "ie_control/ie_browser_event_sink.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "utils/com_ptr.h"
#include "utils/ole_owners.h"

namespace {

std::string Hex(const void* pointer) {
  std::ostringstream text;
  text << pointer;
  return text.str();
}

std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (const wchar_t* c = text; c && *c; ++c)
    narrow += static_cast<char>(*c);
  return text ? narrow : "(null)";
}

// Every slot writes its name and its arguments as text.
class RecordingDelegate : public IEBrowserEventSink::Delegate {
 public:
  void OnBeforeNavigate2(IDispatch* frame,
                         VARIANT* url,
                         VARIANT* flags,
                         VARIANT* target,
                         VARIANT* post_data,
                         VARIANT* headers,
                         VARIANT_BOOL* cancel) override {
    Record("BeforeNavigate2", {Hex(frame), Hex(url), Hex(flags), Hex(target), Hex(post_data),
                               Hex(headers), Hex(cancel)});
  }
  void OnNavigateError(IDispatch* frame,
                       VARIANT* url,
                       VARIANT* target,
                       VARIANT* status,
                       VARIANT_BOOL* cancel) override {
    Record("NavigateError", {Hex(frame), Hex(url), Hex(target), Hex(status), Hex(cancel)});
  }
  void OnNavigateComplete2(IDispatch* frame, VARIANT* url) override {
    Record("NavigateComplete2", {Hex(frame), Hex(url)});
  }
  void OnStatusTextChange(BSTR text) override { Record("StatusTextChange", {Narrow(text)}); }
  void OnTitleChange(BSTR text) override { Record("TitleChange", {Narrow(text)}); }
  void OnPropertyChange(BSTR text) override { Record("PropertyChange", {Narrow(text)}); }
  void OnDownloadBegin() override { Record("DownloadBegin", {}); }
  void OnDownloadComplete() override { Record("DownloadComplete", {}); }
  void OnFileDownload(VARIANT_BOOL active, VARIANT_BOOL* cancel) override {
    Record("FileDownload", {std::to_string(active), Hex(cancel)});
  }
  void OnQuit() override { Record("Quit", {}); }
  void OnNewWindow2(IDispatch** window, VARIANT_BOOL* cancel) override {
    Record("NewWindow2", {Hex(window), Hex(cancel)});
  }
  void OnNewWindow3(IDispatch** window,
                    VARIANT_BOOL* cancel,
                    DWORD flags,
                    BSTR context,
                    BSTR url) override {
    Record("NewWindow3",
           {Hex(window), Hex(cancel), std::to_string(flags), Narrow(context), Narrow(url)});
  }
  void OnCommandStateChange(long command, VARIANT_BOOL enable) override {
    Record("CommandStateChange", {std::to_string(command), std::to_string(enable)});
  }
  void OnProgressChange(long progress, long progress_max) override {
    Record("ProgressChange", {std::to_string(progress), std::to_string(progress_max)});
  }
  void OnDocumentComplete(IDispatch* frame, VARIANT* url) override {
    Record("DocumentComplete", {Hex(frame), Hex(url)});
  }
  void OnVisible(VARIANT_BOOL value) override { Record("Visible", {std::to_string(value)}); }
  void OnToolBar(VARIANT_BOOL value) override { Record("ToolBar", {std::to_string(value)}); }
  void OnMenuBar(VARIANT_BOOL value) override { Record("MenuBar", {std::to_string(value)}); }
  void OnStatusBar(VARIANT_BOOL value) override { Record("StatusBar", {std::to_string(value)}); }
  void OnFullScreen(VARIANT_BOOL value) override { Record("FullScreen", {std::to_string(value)}); }
  void OnTheaterMode(VARIANT_BOOL value) override {
    Record("TheaterMode", {std::to_string(value)});
  }
  void OnSetSecureLockIcon(long value) override {
    Record("SetSecureLockIcon", {std::to_string(value)});
  }
  void OnPrivacyImpactedStateChange(VARIANT_BOOL value) override {
    Record("PrivacyImpactedStateChange", {std::to_string(value)});
  }
  void OnWindowClosing(VARIANT_BOOL child, VARIANT_BOOL* cancel) override {
    Record("WindowClosing", {std::to_string(child), Hex(cancel)});
  }
  void OnWindowSetResizable(VARIANT_BOOL value) override {
    Record("WindowSetResizable", {std::to_string(value)});
  }
  void OnWindowSetLeft(long value) override { Record("WindowSetLeft", {std::to_string(value)}); }
  void OnWindowSetTop(long value) override { Record("WindowSetTop", {std::to_string(value)}); }
  void OnWindowSetWidth(long value) override { Record("WindowSetWidth", {std::to_string(value)}); }
  void OnWindowSetHeight(long value) override {
    Record("WindowSetHeight", {std::to_string(value)});
  }
  void OnClientToHostWindow(long* width, long* height) override {
    Record("ClientToHostWindow", {Hex(width), Hex(height)});
  }

  std::vector<std::string> calls;

 private:
  void Record(const std::string& name, std::initializer_list<std::string> arguments) {
    std::string call = name + "(";
    for (const std::string& argument : arguments)
      call += (call.back() == '(' ? "" : ",") + argument;
    calls.push_back(call + ")");
  }
};

// One event as the engine raises it: its arguments in declared order.
struct Event {
  DISPID id;
  std::vector<VARIANT> arguments;
  std::string expected;  // what the delegate records
};

VARIANT Of(VARTYPE type) {
  VARIANT value;
  ::VariantInit(&value);
  V_VT(&value) = type;
  return value;
}

// Calls Invoke with the arguments last first, as IDispatch callers do.
HRESULT Raise(IEBrowserEventSink* sink, DISPID id, std::vector<VARIANT> arguments) {
  std::reverse(arguments.begin(), arguments.end());
  DISPPARAMS params = {arguments.empty() ? nullptr : arguments.data(), nullptr,
                       static_cast<UINT>(arguments.size()), 0};
  return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                      nullptr);
}

class IEBrowserEventSinkTest : public testing::Test {
 protected:
  IEBrowserEventSinkTest() {
    frame_ = reinterpret_cast<IDispatch*>(0x1000);  // never called by the sink
    for (VARIANT& value : variants_)
      ::VariantInit(&value);
  }

  VARIANT Dispatch() {
    VARIANT value = Of(VT_DISPATCH);
    V_DISPATCH(&value) = frame_;
    return value;
  }
  VARIANT ByRefVariant(int index) {
    VARIANT value = Of(VT_BYREF | VT_VARIANT);
    V_VARIANTREF(&value) = &variants_[index];
    return value;
  }
  VARIANT ByRefBool() {
    VARIANT value = Of(VT_BYREF | VT_BOOL);
    V_BOOLREF(&value) = &cancel_;
    return value;
  }
  VARIANT ByRefDispatch() {
    VARIANT value = Of(VT_BYREF | VT_DISPATCH);
    V_DISPATCHREF(&value) = &new_window_;
    return value;
  }
  VARIANT ByRefLong(long* target) {
    VARIANT value = Of(VT_BYREF | VT_I4);
    V_I4REF(&value) = target;
    return value;
  }
  VARIANT Long(long number, VARTYPE type = VT_I4) {
    VARIANT value = Of(type);
    V_I4(&value) = number;
    return value;
  }
  VARIANT Bool(VARIANT_BOOL flag) {
    VARIANT value = Of(VT_BOOL);
    V_BOOL(&value) = flag;
    return value;
  }
  VARIANT Text(const wchar_t* text) {
    strings_.push_back(std::make_unique<unique_bstr>(MakeBstr(text)));
    VARIANT value = Of(VT_BSTR);
    V_BSTR(&value) = strings_.back()->get();
    return value;
  }

  std::string V(int index) { return Hex(&variants_[index]); }

  // Every event of the table, well formed, and what its slot receives.
  std::vector<Event> WellFormedEvents() {
    const std::string frame = Hex(frame_);
    const std::string cancel = Hex(&cancel_);
    const std::string window = Hex(&new_window_);
    return {
        {DISPID_BEFORENAVIGATE2,
         {Dispatch(), ByRefVariant(0), ByRefVariant(1), ByRefVariant(2), ByRefVariant(3),
          ByRefVariant(4), ByRefBool()},
         "BeforeNavigate2(" + frame + "," + V(0) + "," + V(1) + "," + V(2) + "," + V(3) + "," +
             V(4) + "," + cancel + ")"},
        {DISPID_NAVIGATEERROR,
         {Dispatch(), ByRefVariant(0), ByRefVariant(1), ByRefVariant(2), ByRefBool()},
         "NavigateError(" + frame + "," + V(0) + "," + V(1) + "," + V(2) + "," + cancel + ")"},
        {DISPID_NAVIGATECOMPLETE2,
         {Dispatch(), ByRefVariant(0)},
         "NavigateComplete2(" + frame + "," + V(0) + ")"},
        {DISPID_STATUSTEXTCHANGE, {Text(L"Done")}, "StatusTextChange(Done)"},
        {DISPID_TITLECHANGE, {Text(L"A title")}, "TitleChange(A title)"},
        {DISPID_PROPERTYCHANGE, {Text(L"prop")}, "PropertyChange(prop)"},
        {DISPID_DOWNLOADBEGIN, {}, "DownloadBegin()"},
        {DISPID_DOWNLOADCOMPLETE, {}, "DownloadComplete()"},
        {DISPID_FILEDOWNLOAD, {Bool(VARIANT_TRUE), ByRefBool()}, "FileDownload(-1," + cancel + ")"},
        {DISPID_QUIT, {}, "Quit()"},
        {DISPID_NEWWINDOW2,
         {ByRefDispatch(), ByRefBool()},
         "NewWindow2(" + window + "," + cancel + ")"},
        {DISPID_NEWWINDOW3,
         {ByRefDispatch(), ByRefBool(), Long(0x40006), Text(L"http://a/"), Text(L"http://b/")},
         "NewWindow3(" + window + "," + cancel + ",262150,http://a/,http://b/)"},
        {DISPID_COMMANDSTATECHANGE, {Long(2), Bool(VARIANT_FALSE)}, "CommandStateChange(2,0)"},
        {DISPID_PROGRESSCHANGE, {Long(30), Long(100)}, "ProgressChange(30,100)"},
        {DISPID_DOCUMENTCOMPLETE,
         {Dispatch(), ByRefVariant(0)},
         "DocumentComplete(" + frame + "," + V(0) + ")"},
        {DISPID_ONVISIBLE, {Bool(VARIANT_TRUE)}, "Visible(-1)"},
        {DISPID_ONTOOLBAR, {Bool(VARIANT_FALSE)}, "ToolBar(0)"},
        {DISPID_ONMENUBAR, {Bool(VARIANT_TRUE)}, "MenuBar(-1)"},
        {DISPID_ONSTATUSBAR, {Bool(VARIANT_FALSE)}, "StatusBar(0)"},
        {DISPID_ONFULLSCREEN, {Bool(VARIANT_TRUE)}, "FullScreen(-1)"},
        {DISPID_ONTHEATERMODE, {Bool(VARIANT_FALSE)}, "TheaterMode(0)"},
        {DISPID_SETSECURELOCKICON, {Long(3)}, "SetSecureLockIcon(3)"},
        {DISPID_PRIVACYIMPACTEDSTATECHANGE, {Bool(VARIANT_TRUE)}, "PrivacyImpactedStateChange(-1)"},
        {DISPID_WINDOWCLOSING,
         {Bool(VARIANT_TRUE), ByRefBool()},
         "WindowClosing(-1," + cancel + ")"},
        {DISPID_WINDOWSETRESIZABLE, {Bool(VARIANT_FALSE)}, "WindowSetResizable(0)"},
        {DISPID_WINDOWSETLEFT, {Long(-5)}, "WindowSetLeft(-5)"},
        {DISPID_WINDOWSETTOP, {Long(7)}, "WindowSetTop(7)"},
        {DISPID_WINDOWSETWIDTH, {Long(640)}, "WindowSetWidth(640)"},
        {DISPID_WINDOWSETHEIGHT, {Long(480)}, "WindowSetHeight(480)"},
        {DISPID_CLIENTTOHOSTWINDOW,
         {ByRefLong(&width_), ByRefLong(&height_)},
         "ClientToHostWindow(" + Hex(&width_) + "," + Hex(&height_) + ")"},
    };
  }

  // Delivers one event to a fresh sink; what its delegate recorded.
  std::vector<std::string> Deliver(DISPID id, const std::vector<VARIANT>& arguments) {
    RecordingDelegate delegate;
    com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
    EXPECT_EQ(Raise(sink.get(), id, arguments), S_OK);
    return delegate.calls;
  }

  IDispatch* frame_;
  IDispatch* new_window_ = nullptr;
  VARIANT_BOOL cancel_ = VARIANT_FALSE;
  long width_ = 0;
  long height_ = 0;
  VARIANT variants_[5];
  std::vector<std::unique_ptr<unique_bstr>> strings_;
};

TEST_F(IEBrowserEventSinkTest, EveryEventReachesItsSlotWithItsArgumentsInDeclaredOrder) {
  const std::vector<Event> events = WellFormedEvents();
  ASSERT_EQ(events.size(), 30u);
  for (const Event& event : events) {
    EXPECT_EQ(Deliver(event.id, event.arguments), std::vector<std::string>{event.expected})
        << "DISPID " << event.id;
  }
}

TEST_F(IEBrowserEventSinkTest, WrongArgumentCountDropsTheEvent) {
  for (const Event& event : WellFormedEvents()) {
    std::vector<VARIANT> more = event.arguments;
    more.push_back(Of(VT_EMPTY));
    EXPECT_TRUE(Deliver(event.id, more).empty()) << "DISPID " << event.id << " one more";
    if (event.arguments.empty())
      continue;
    std::vector<VARIANT> fewer(event.arguments.begin(), event.arguments.end() - 1);
    EXPECT_TRUE(Deliver(event.id, fewer).empty()) << "DISPID " << event.id << " one fewer";
  }
}

TEST_F(IEBrowserEventSinkTest, AnyArgumentOfTheWrongTypeDropsTheEvent) {
  for (const Event& event : WellFormedEvents()) {
    for (size_t index = 0; index < event.arguments.size(); ++index) {
      std::vector<VARIANT> changed = event.arguments;
      const VARTYPE type = V_VT(&changed[index]);
      // Close relatives: the by-value form of a by-reference one, a string
      // for everything else.
      V_VT(&changed[index]) = (type & VT_BYREF) ? static_cast<VARTYPE>(type & ~VT_BYREF)
                              : type == VT_BSTR ? static_cast<VARTYPE>(VT_I4)
                                                : static_cast<VARTYPE>(VT_BSTR);
      EXPECT_TRUE(Deliver(event.id, changed).empty())
          << "DISPID " << event.id << " argument " << index;
    }
  }
}

TEST_F(IEBrowserEventSinkTest, NewWindow3TakesItsFlagsAsEitherIntegerType) {
  const std::vector<std::string> as_unsigned =
      Deliver(DISPID_NEWWINDOW3, {ByRefDispatch(), ByRefBool(), Long(0x40006, VT_UI4),
                                  Text(L"http://a/"), Text(L"http://b/")});
  ASSERT_EQ(as_unsigned.size(), 1u);
  EXPECT_NE(as_unsigned[0].find(",262150,"), std::string::npos);
  for (const VARTYPE other : {VT_I2, VT_UI2, VT_INT, VT_UINT, VT_I8}) {
    EXPECT_TRUE(Deliver(DISPID_NEWWINDOW3, {ByRefDispatch(), ByRefBool(), Long(1, other),
                                            Text(L"http://a/"), Text(L"http://b/")})
                    .empty())
        << other;
  }
}

TEST_F(IEBrowserEventSinkTest, EventsWithoutArgumentsMustComeWithoutAnArgumentArray) {
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  VARIANT unused = Of(VT_EMPTY);
  DISPPARAMS with_array = {&unused, nullptr, 0, 0};
  for (const DISPID id : {DISPID_DOWNLOADBEGIN, DISPID_DOWNLOADCOMPLETE, DISPID_QUIT}) {
    EXPECT_EQ(
        sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &with_array, nullptr, nullptr, nullptr),
        S_OK);
  }
  EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(IEBrowserEventSinkTest, MissingParameterBlockOrArrayIsDroppedWithoutATrace) {
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  for (const Event& event : WellFormedEvents()) {
    EXPECT_EQ(
        sink->Invoke(event.id, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        S_OK);
    if (event.arguments.empty())
      continue;
    // A count with nothing behind it.
    DISPPARAMS no_array = {nullptr, nullptr, static_cast<UINT>(event.arguments.size()), 0};
    EXPECT_EQ(
        sink->Invoke(event.id, IID_NULL, 0, DISPATCH_METHOD, &no_array, nullptr, nullptr, nullptr),
        S_OK);
  }
  EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(IEBrowserEventSinkTest, OtherDispidsAreIgnored) {
  for (const DISPID id : {DISPID_ONQUIT, DISPID_BEFORENAVIGATE, DISPID_NAVIGATECOMPLETE,
                          DISPID_ONADDRESSBAR, DISPID_SETPHISHINGFILTERSTATUS, 0, -1}) {
    EXPECT_TRUE(Deliver(id, {}).empty()) << id;
    EXPECT_TRUE(Deliver(id, {Bool(VARIANT_TRUE)}).empty()) << id;
  }
}

TEST_F(IEBrowserEventSinkTest, IsAPlainDispatchWithoutTypeInformation) {
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  UINT count = 0;
  EXPECT_EQ(sink->GetTypeInfoCount(&count), E_NOTIMPL);
  com_ptr<ITypeInfo> info;
  EXPECT_EQ(sink->GetTypeInfo(0, 0, info.put()), TYPE_E_ELEMENTNOTFOUND);
  LPOLESTR name = const_cast<LPOLESTR>(L"TitleChange");
  DISPID id = 0;
  EXPECT_EQ(sink->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);

  com_ptr<IUnknown> unknown;
  com_ptr<IDispatch> dispatch;
  com_ptr<DWebBrowserEvents2> typed;
  EXPECT_EQ(sink.query(&unknown), S_OK);
  EXPECT_EQ(sink.query(&dispatch), S_OK);
  EXPECT_EQ(sink.query(&typed), E_NOINTERFACE);
}

// A browser's connection point for DWebBrowserEvents2 that hands out one
// cookie and delivers events to whoever is advised.
class FakeEventSource : public ComObject<IConnectionPointContainer, IConnectionPoint> {
 public:
  static constexpr DWORD kCookie = 77;

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    *point = nullptr;
    if (iid != DIID_DWebBrowserEvents2)
      return CONNECT_E_NOCONNECTION;
    *point = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    if (sink_)
      return CONNECT_E_ADVISELIMIT;
    if (FAILED(sink->QueryInterface(IID_IDispatch, sink_.put_void())))
      return CONNECT_E_CANNOTCONNECT;
    *cookie = kCookie;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    if (cookie != kCookie || !sink_)
      return CONNECT_E_NOCONNECTION;
    sink_.reset();
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  com_ptr<IDispatch> sink_;

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid,
                           {Offer<IConnectionPointContainer>(this), Offer<IConnectionPoint>(this)});
  }
};

TEST_F(IEBrowserEventSinkTest, AdviseConnectsToTheEventsPointAndUnadviseUsesItsCookie) {
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  com_ptr<FakeEventSource> browser = MakeComObject<FakeEventSource>();
  ASSERT_TRUE(sink->Advise(browser->GetUnknown()));
  ASSERT_TRUE(browser->sink_);
  EXPECT_TRUE(IsSameComObject(browser->sink_.get(), sink->GetUnknown()));

  // Events now arrive through the browser's connection.
  VARIANT title = Text(L"From the browser");
  DISPPARAMS params = {&title, nullptr, 1, 0};
  EXPECT_EQ(browser->sink_->Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, &params,
                                   nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(delegate.calls, std::vector<std::string>{"TitleChange(From the browser)"});

  EXPECT_TRUE(sink->Unadvise(browser->GetUnknown()));
  EXPECT_FALSE(browser->sink_);
  EXPECT_FALSE(sink->Unadvise(browser->GetUnknown()));  // the cookie is spent
}

TEST_F(IEBrowserEventSinkTest, AdviseFailsWithoutAnEventsPoint) {
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  EXPECT_FALSE(sink->Advise(nullptr));
  EXPECT_FALSE(sink->Unadvise(nullptr));
  com_ptr<IEBrowserEventSink> not_a_browser = MakeComObject<IEBrowserEventSink>(&delegate);
  EXPECT_FALSE(sink->Advise(not_a_browser->GetUnknown()));

  com_ptr<FakeEventSource> browser = MakeComObject<FakeEventSource>();
  ASSERT_TRUE(sink->Advise(browser->GetUnknown()));
  EXPECT_FALSE(sink->Advise(browser->GetUnknown()));  // the point takes one sink
}

}  // namespace
