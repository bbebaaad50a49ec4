#include "ie_control/ie_browser_event_sink.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <algorithm>
#include <string>
#include <vector>

#include "utils/com_ptr.h"
#include "utils/ole_owners.h"

namespace {

// Records the slots whose arguments tell order and decoding apart; the rest
// keep the delegate's no-op defaults.
class RecordingDelegate : public IEBrowserEventSink::Delegate {
 public:
  void OnBeforeNavigate2(IDispatch* frame,
                         VARIANT* url,
                         VARIANT* flags,
                         VARIANT* target,
                         VARIANT* post_data,
                         VARIANT* headers,
                         VARIANT_BOOL* cancel) override {
    calls.push_back("BeforeNavigate2 " +
                    std::to_string(V_I4(url) * 10000 + V_I4(flags) * 1000 + V_I4(target) * 100 +
                                   V_I4(post_data) * 10 + V_I4(headers)) +
                    (frame && cancel ? " ok" : ""));
  }
  void OnNewWindow3(IDispatch**, VARIANT_BOOL*, DWORD flags, BSTR, BSTR url) override {
    calls.push_back("NewWindow3 " + std::to_string(flags) + " " + std::to_string(url[0]));
  }
  void OnDownloadBegin() override { calls.push_back("DownloadBegin"); }
  void OnWindowSetWidth(long value) override { calls.push_back("Width " + std::to_string(value)); }
  std::vector<std::string> calls;
};

VARIANT Of(VARTYPE type, LONG number = 0) {
  VARIANT value;
  ::VariantInit(&value);
  V_VT(&value) = type;
  V_I4(&value) = number;
  return value;
}

class IEBrowserEventSinkTest : public testing::Test {
 protected:
  IEBrowserEventSinkTest() {
    for (int i = 0; i < 5; ++i)
      slots_[i] = Of(VT_I4, i + 1);
  }

  // Raises `id` with its arguments in declared order (Invoke takes them last
  // first); what the delegate recorded.
  std::vector<std::string> Raise(DISPID id, std::vector<VARIANT> arguments) {
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params = {arguments.empty() ? nullptr : arguments.data(), nullptr,
                         static_cast<UINT>(arguments.size()), 0};
    RecordingDelegate delegate;
    com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
    EXPECT_EQ(sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    return delegate.calls;
  }

  VARIANT Ref(int slot) {
    VARIANT value = Of(VT_BYREF | VT_VARIANT);
    V_VARIANTREF(&value) = &slots_[slot];
    return value;
  }
  VARIANT Cancel() {
    VARIANT value = Of(VT_BYREF | VT_BOOL);
    V_BOOLREF(&value) = &cancel_;
    return value;
  }
  VARIANT Text(BSTR text) {
    VARIANT value = Of(VT_BSTR);
    V_BSTR(&value) = text;
    return value;
  }
  std::vector<VARIANT> BeforeNavigate() {
    VARIANT frame = Of(VT_DISPATCH);
    V_DISPATCH(&frame) = reinterpret_cast<IDispatch*>(0x1000);  // never called
    return {frame, Ref(0), Ref(1), Ref(2), Ref(3), Ref(4), Cancel()};
  }
  std::vector<VARIANT> NewWindow3(VARTYPE flags_type) {
    VARIANT window = Of(VT_BYREF | VT_DISPATCH);
    V_DISPATCHREF(&window) = &new_window_;
    return {window, Cancel(), Of(flags_type, 0x40006), Text(context_.get()), Text(url_.get())};
  }

  VARIANT slots_[5];
  VARIANT_BOOL cancel_ = VARIANT_FALSE;
  IDispatch* new_window_ = nullptr;
  unique_bstr context_{L"c"};
  unique_bstr url_{L"u"};
};

TEST_F(IEBrowserEventSinkTest, ArgumentsReachTheirSlotInDeclaredOrder) {
  EXPECT_EQ(Raise(DISPID_BEFORENAVIGATE2, BeforeNavigate()),
            std::vector<std::string>{"BeforeNavigate2 12345 ok"});
  EXPECT_EQ(Raise(DISPID_WINDOWSETWIDTH, {Of(VT_I4, 640)}), std::vector<std::string>{"Width 640"});
  // NewWindow3's flags come as either 32-bit integer type, and only so.
  for (const VARTYPE type : {VT_I4, VT_UI4})
    EXPECT_EQ(Raise(DISPID_NEWWINDOW3, NewWindow3(type)),
              std::vector<std::string>{"NewWindow3 262150 117"});
  for (const VARTYPE type : {VT_I2, VT_UI2, VT_INT, VT_UINT, VT_I8})
    EXPECT_TRUE(Raise(DISPID_NEWWINDOW3, NewWindow3(type)).empty()) << type;
}

TEST_F(IEBrowserEventSinkTest, MalformedEventsAreDropped) {
  std::vector<VARIANT> arguments = BeforeNavigate();
  for (size_t index = 0; index < arguments.size(); ++index) {
    std::vector<VARIANT> changed = arguments;
    V_VT(&changed[index]) = VT_BSTR;
    EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE2, changed).empty()) << "argument " << index;
  }
  arguments.pop_back();
  EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE2, arguments).empty()) << "one fewer";
  EXPECT_TRUE(Raise(DISPID_DOWNLOADBEGIN, {Of(VT_EMPTY)}).empty()) << "one more";
  EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE, {}).empty()) << "not ours";
  EXPECT_EQ(Raise(DISPID_DOWNLOADBEGIN, {}), std::vector<std::string>{"DownloadBegin"});

  // No parameter block, a count without an array, an array without a count.
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  VARIANT unused = Of(VT_EMPTY);
  DISPPARAMS no_array = {nullptr, nullptr, 1, 0};
  DISPPARAMS no_count = {&unused, nullptr, 0, 0};
  for (DISPPARAMS* params : {static_cast<DISPPARAMS*>(nullptr), &no_array, &no_count}) {
    for (const DISPID id : {DISPID_WINDOWSETWIDTH, DISPID_DOWNLOADBEGIN})
      EXPECT_EQ(sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr),
                S_OK);
  }
  EXPECT_TRUE(delegate.calls.empty());
}

}  // namespace
