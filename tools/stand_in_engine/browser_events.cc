#include "tools/stand_in_engine/browser_events.h"

#include <exdispid.h>

#include <array>
#include <memory>

#include "tools/stand_in_engine/scoped_com.h"

namespace {

VARIANTARG DispatchArgument(IDispatch* object) {
  VARIANTARG argument;
  argument.vt = VT_DISPATCH;
  argument.pdispVal = object;
  return argument;
}

VARIANTARG VariantReference(ScopedVariant& value) {
  VARIANTARG argument;
  argument.vt = VT_BYREF | VT_VARIANT;
  argument.pvarVal = value.get();
  return argument;
}

VARIANTARG BoolReference(VARIANT_BOOL* value) {
  VARIANTARG argument;
  argument.vt = VT_BYREF | VT_BOOL;
  argument.pboolVal = value;
  return argument;
}

// `arguments` in declared order; Invoke wants them last first.
template <size_t N>
void Fire(EventConnectionPoint& events, DISPID event, std::array<VARIANTARG, N> arguments) {
  std::array<VARIANTARG, N> reversed;
  for (size_t i = 0; i < N; ++i)
    reversed[i] = arguments[N - 1 - i];
  DISPPARAMS parameters = {reversed.data(), nullptr, static_cast<UINT>(N), 0};
  events.Invoke(event, &parameters);
}

}  // namespace

bool FireBeforeNavigate2(EventConnectionPoint& events,
                         IDispatch* frame,
                         std::wstring_view url,
                         std::wstring_view target_frame) {
  ScopedVariant url_value = ScopedVariant::String(url);
  ScopedVariant flags = ScopedVariant::Long(0);
  ScopedVariant target = ScopedVariant::String(target_frame);
  ScopedVariant post_data;
  ScopedVariant headers = ScopedVariant::String(L"");
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Fire<7>(events, DISPID_BEFORENAVIGATE2,
          {DispatchArgument(frame), VariantReference(url_value), VariantReference(flags),
           VariantReference(target), VariantReference(post_data), VariantReference(headers),
           BoolReference(&cancel)});
  return cancel != VARIANT_FALSE;
}

void FireNavigateComplete2(EventConnectionPoint& events, IDispatch* frame, std::wstring_view url) {
  ScopedVariant url_value = ScopedVariant::String(url);
  Fire<2>(events, DISPID_NAVIGATECOMPLETE2, {DispatchArgument(frame), VariantReference(url_value)});
}

void FireDocumentComplete(EventConnectionPoint& events, IDispatch* frame, std::wstring_view url) {
  ScopedVariant url_value = ScopedVariant::String(url);
  Fire<2>(events, DISPID_DOCUMENTCOMPLETE, {DispatchArgument(frame), VariantReference(url_value)});
}

bool FireNavigateError(EventConnectionPoint& events,
                       IDispatch* frame,
                       std::wstring_view url,
                       std::wstring_view target_frame,
                       LONG status) {
  ScopedVariant url_value = ScopedVariant::String(url);
  ScopedVariant target = ScopedVariant::String(target_frame);
  ScopedVariant status_code = ScopedVariant::Long(status);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Fire<5>(events, DISPID_NAVIGATEERROR,
          {DispatchArgument(frame), VariantReference(url_value), VariantReference(target),
           VariantReference(status_code), BoolReference(&cancel)});
  return cancel != VARIANT_FALSE;
}

void FireTitleChange(EventConnectionPoint& events, std::wstring_view title) {
  ScopedVariant text = ScopedVariant::String(title);
  Fire<1>(events, DISPID_TITLECHANGE, {text.value()});
}

NewWindowAnswer FireNewWindow3(EventConnectionPoint& events,
                               DWORD flags,
                               std::wstring_view url_context,
                               std::wstring_view url) {
  IDispatch* browser = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  ScopedVariant flags_value = ScopedVariant::Long(static_cast<LONG>(flags));
  ScopedVariant context = ScopedVariant::String(url_context);
  ScopedVariant url_value = ScopedVariant::String(url);
  VARIANTARG browser_argument;
  browser_argument.vt = VT_BYREF | VT_DISPATCH;
  browser_argument.ppdispVal = &browser;
  Fire<5>(events, DISPID_NEWWINDOW3,
          {browser_argument, BoolReference(&cancel), flags_value.value(), context.value(),
           url_value.value()});
  NewWindowAnswer answer;
  AdoptReference(browser, std::addressof(answer.browser));  // the host's reference passes to us
  answer.cancel = cancel != VARIANT_FALSE;
  return answer;
}

bool FireWindowClosing(EventConnectionPoint& events, bool child_window) {
  VARIANTARG child;
  child.vt = VT_BOOL;
  child.boolVal = child_window ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Fire<2>(events, DISPID_WINDOWCLOSING, {child, BoolReference(&cancel)});
  return cancel != VARIANT_FALSE;
}
