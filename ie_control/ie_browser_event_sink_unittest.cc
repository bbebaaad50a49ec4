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
    calls += "BeforeNavigate2 " + std::to_string(reinterpret_cast<UINT_PTR>(frame));
    for (const VARIANT* slot : {url, flags, target, post_data, headers})
      calls += std::to_string(V_I4(slot));
    calls += std::to_string(*cancel);
  }
  void OnNewWindow3(IDispatch**, VARIANT_BOOL*, DWORD flags, BSTR, BSTR url) override {
    calls += "NewWindow3 " + std::to_string(flags) + " " + std::to_string(url[0]);
  }
  void OnDownloadBegin() override { calls += "DownloadBegin"; }
  void OnWindowSetWidth(long value) override { calls += "Width " + std::to_string(value); }
  std::string calls;
};

VARIANT Of(VARTYPE type, LONG number = 0) {
  VARIANT value;
  ::VariantInit(&value);
  V_VT(&value) = type;
  V_I4(&value) = number;
  return value;
}

VARIANT Ref(VARTYPE type, void* target) {
  VARIANT value = Of(VT_BYREF | type);
  V_BYREF(&value) = target;
  return value;
}

// What the delegate recorded of the event.
std::string Invoke(DISPID id, DISPPARAMS* params) {
  RecordingDelegate delegate;
  com_ptr<IEBrowserEventSink> sink = MakeComObject<IEBrowserEventSink>(&delegate);
  EXPECT_EQ(sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr),
            S_OK);
  return delegate.calls;
}

// Raises `id` with its arguments in declared order (Invoke takes them last
// first).
std::string Raise(DISPID id, std::vector<VARIANT> arguments) {
  std::reverse(arguments.begin(), arguments.end());
  DISPPARAMS params = {arguments.empty() ? nullptr : arguments.data(), nullptr,
                       static_cast<UINT>(arguments.size()), 0};
  return Invoke(id, &params);
}

class IEBrowserEventSinkTest : public testing::Test {
 protected:
  std::vector<VARIANT> BeforeNavigate() {
    std::vector<VARIANT> arguments = {Of(VT_DISPATCH)};
    V_DISPATCH(&arguments[0]) = reinterpret_cast<IDispatch*>(9);  // never called
    for (VARIANT& slot : slots_)
      arguments.push_back(Ref(VT_VARIANT, &slot));
    arguments.push_back(Ref(VT_BOOL, &cancel_));
    return arguments;
  }

  VARIANT slots_[5] = {Of(VT_I4, 1), Of(VT_I4, 2), Of(VT_I4, 3), Of(VT_I4, 4), Of(VT_I4, 5)};
  VARIANT_BOOL cancel_ = 7;
  IDispatch* new_window_ = nullptr;
  unique_bstr url_ = MakeBstr(L"u");
};

TEST_F(IEBrowserEventSinkTest, ArgumentsReachTheirSlotInDeclaredOrder) {
  EXPECT_EQ(Raise(DISPID_BEFORENAVIGATE2, BeforeNavigate()), "BeforeNavigate2 9123457");
  EXPECT_EQ(Raise(DISPID_WINDOWSETWIDTH, {Of(VT_I4, 640)}), "Width 640");
  // NewWindow3's flags come as either 32-bit integer type, and only so.
  VARIANT url = Of(VT_BSTR);
  V_BSTR(&url) = url_.get();
  for (const VARTYPE type : {VT_I4, VT_UI4, VT_I2, VT_UI2, VT_INT, VT_UINT, VT_I8}) {
    EXPECT_EQ(Raise(DISPID_NEWWINDOW3, {Ref(VT_DISPATCH, &new_window_), Ref(VT_BOOL, &cancel_),
                                        Of(type, 0x40006), Of(VT_BSTR), url}),
              type == VT_I4 || type == VT_UI4 ? "NewWindow3 262150 117" : "")
        << type;
  }
}

TEST_F(IEBrowserEventSinkTest, MalformedEventsAreDropped) {
  std::vector<VARIANT> arguments = BeforeNavigate();
  for (size_t index = 0; index < arguments.size(); ++index) {
    std::vector<VARIANT> changed = arguments;
    V_VT(&changed[index]) = VT_BSTR;
    EXPECT_EQ(Raise(DISPID_BEFORENAVIGATE2, changed), "") << "argument " << index;
  }
  arguments.pop_back();
  EXPECT_EQ(Raise(DISPID_BEFORENAVIGATE2, arguments), "") << "one fewer";
  EXPECT_EQ(Raise(DISPID_DOWNLOADBEGIN, {Of(VT_EMPTY)}), "") << "one more";
  EXPECT_EQ(Raise(DISPID_BEFORENAVIGATE, {}), "") << "not ours";
  EXPECT_EQ(Raise(DISPID_DOWNLOADBEGIN, {}), "DownloadBegin");

  // No parameter block, a count without an array, an array without a count.
  VARIANT unused = Of(VT_EMPTY);
  DISPPARAMS no_array = {nullptr, nullptr, 1, 0};
  DISPPARAMS no_count = {&unused, nullptr, 0, 0};
  for (DISPPARAMS* params : {static_cast<DISPPARAMS*>(nullptr), &no_array, &no_count}) {
    for (const DISPID id : {DISPID_WINDOWSETWIDTH, DISPID_DOWNLOADBEGIN})
      EXPECT_EQ(Invoke(id, params), "") << id;
  }
}

}  // namespace
