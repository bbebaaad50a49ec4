#include "tools/stand_in_engine/testing/event_recorder.h"

#include <exdisp.h>
#include <exdispid.h>

#include <cwchar>

namespace {

// Arguments in declared order (DISPPARAMS holds them last first).
const VARIANTARG& Argument(const DISPPARAMS& parameters, UINT declared_index) {
  return parameters.rgvarg[parameters.cArgs - 1 - declared_index];
}

bool IsVariantReference(const VARIANTARG& argument, VARTYPE inner) {
  return argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal &&
         argument.pvarVal->vt == inner;
}

bool IsBoolReference(const VARIANTARG& argument) {
  return argument.vt == (VT_BYREF | VT_BOOL) && argument.pboolVal;
}

std::wstring Text(BSTR text) {
  return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

std::wstring Hex(DWORD value) {
  wchar_t text[11];
  std::swprintf(text, 11, L"0x%lX", static_cast<unsigned long>(value));
  return text;
}

}  // namespace

EventRecorder::EventRecorder(IUnknown* top, std::vector<std::wstring>* trace) : trace_(trace) {
  if (top)
    top->QueryInterface(IID_PPV_ARGS(&top_));
}

HRESULT EventRecorder::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  // As the product's sink: IUnknown and IDispatch only.
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG EventRecorder::AddRef() {
  return ::InterlockedIncrement(&refs_);
}

ULONG EventRecorder::Release() {
  const LONG count = ::InterlockedDecrement(&refs_);
  if (count == 0)
    delete this;
  return count;
}

HRESULT EventRecorder::GetTypeInfoCount(UINT* count) {
  if (count)
    *count = 0;
  return E_NOTIMPL;
}

HRESULT EventRecorder::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info)
    *info = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT EventRecorder::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return DISP_E_UNKNOWNNAME;
}

std::wstring EventRecorder::FrameLabel(IDispatch* frame,
                                       Microsoft::WRL::ComPtr<IUnknown>* identity) {
  if (!frame || FAILED(frame->QueryInterface(IID_PPV_ARGS(identity->GetAddressOf()))))
    return L"(none)";
  if (identity->Get() == top_.Get())
    return L"top";
  for (size_t i = 0; i < frames_.size(); ++i) {
    if (frames_[i].Get() == identity->Get())
      return L"frame" + std::to_wstring(i + 1);
  }
  frames_.push_back(*identity);
  return L"frame" + std::to_wstring(frames_.size());
}

bool EventRecorder::Decode(DISPID id, const DISPPARAMS& p, Event* event) {
  if (p.cNamedArgs != 0 || (p.cArgs > 0 && !p.rgvarg))
    return false;
  const auto count_is = [&p](UINT count) { return p.cArgs == count; };
  switch (id) {
    case DISPID_BEFORENAVIGATE2:
      event->name = L"BeforeNavigate2";
      if (!count_is(7) || Argument(p, 0).vt != VT_DISPATCH ||
          !IsVariantReference(Argument(p, 1), VT_BSTR) ||
          !IsVariantReference(Argument(p, 2), VT_I4) ||
          !IsVariantReference(Argument(p, 3), VT_BSTR) ||
          !IsVariantReference(Argument(p, 4), VT_EMPTY) ||
          !IsVariantReference(Argument(p, 5), VT_BSTR) || !IsBoolReference(Argument(p, 6))) {
        return false;
      }
      event->frame = FrameLabel(Argument(p, 0).pdispVal, &event->frame_identity);
      event->url = Text(Argument(p, 1).pvarVal->bstrVal);
      event->flags = Argument(p, 2).pvarVal->lVal;
      event->target_frame = Text(Argument(p, 3).pvarVal->bstrVal);
      return true;
    case DISPID_NAVIGATEERROR:
      event->name = L"NavigateError";
      if (!count_is(5) || Argument(p, 0).vt != VT_DISPATCH ||
          !IsVariantReference(Argument(p, 1), VT_BSTR) ||
          !IsVariantReference(Argument(p, 2), VT_BSTR) ||
          !IsVariantReference(Argument(p, 3), VT_I4) || !IsBoolReference(Argument(p, 4))) {
        return false;
      }
      event->frame = FrameLabel(Argument(p, 0).pdispVal, &event->frame_identity);
      event->url = Text(Argument(p, 1).pvarVal->bstrVal);
      event->target_frame = Text(Argument(p, 2).pvarVal->bstrVal);
      event->status = Argument(p, 3).pvarVal->lVal;
      return true;
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_DOCUMENTCOMPLETE:
      event->name = id == DISPID_NAVIGATECOMPLETE2 ? L"NavigateComplete2" : L"DocumentComplete";
      if (!count_is(2) || Argument(p, 0).vt != VT_DISPATCH ||
          !IsVariantReference(Argument(p, 1), VT_BSTR)) {
        return false;
      }
      event->frame = FrameLabel(Argument(p, 0).pdispVal, &event->frame_identity);
      event->url = Text(Argument(p, 1).pvarVal->bstrVal);
      return true;
    case DISPID_NEWWINDOW3:
      event->name = L"NewWindow3";
      if (!count_is(5) || Argument(p, 0).vt != (VT_BYREF | VT_DISPATCH) ||
          !Argument(p, 0).ppdispVal || *Argument(p, 0).ppdispVal ||
          !IsBoolReference(Argument(p, 1)) ||
          (Argument(p, 2).vt != VT_I4 && Argument(p, 2).vt != VT_UI4) ||
          Argument(p, 3).vt != VT_BSTR || Argument(p, 4).vt != VT_BSTR) {
        return false;
      }
      event->flags = Argument(p, 2).ulVal;
      event->url_context = Text(Argument(p, 3).bstrVal);
      event->url = Text(Argument(p, 4).bstrVal);
      return true;
    case DISPID_TITLECHANGE:
      event->name = L"TitleChange";
      if (!count_is(1) || Argument(p, 0).vt != VT_BSTR)
        return false;
      event->title = Text(Argument(p, 0).bstrVal);
      return true;
    case DISPID_WINDOWCLOSING:
      event->name = L"WindowClosing";
      if (!count_is(2) || Argument(p, 0).vt != VT_BOOL || !IsBoolReference(Argument(p, 1)))
        return false;
      event->child_window = Argument(p, 0).boolVal != VARIANT_FALSE;
      return true;
    default:
      event->name = L"event " + std::to_wstring(id);
      return false;
  }
}

HRESULT EventRecorder::Invoke(DISPID id,
                              REFIID,
                              LCID,
                              WORD,
                              DISPPARAMS* parameters,
                              VARIANT*,
                              EXCEPINFO*,
                              UINT*) {
  Event event;
  event.id = id;
  if (!parameters || !Decode(id, *parameters, &event)) {
    malformed_.push_back(event.name);
    trace_->push_back(L"malformed " + event.name);
    return S_OK;
  }
  std::wstring line = event.name;
  if (!event.frame.empty())
    line += L" " + event.frame;
  if (id == DISPID_TITLECHANGE)
    line += L" " + event.title;
  else if (id != DISPID_WINDOWCLOSING)
    line += L" " + event.url;
  if (id == DISPID_NAVIGATEERROR)
    line += L" " + Hex(static_cast<DWORD>(event.status));
  if (id == DISPID_NEWWINDOW3)
    line += L" " + Hex(event.flags) + L" from " + event.url_context;
  trace_->push_back(line);
  events_.push_back(event);

  const bool cancellable = id == DISPID_BEFORENAVIGATE2 || id == DISPID_NAVIGATEERROR ||
                           id == DISPID_NEWWINDOW3 || id == DISPID_WINDOWCLOSING;
  if (cancellable && cancel && cancel(event)) {
    const UINT cancel_index = id == DISPID_BEFORENAVIGATE2 ? 6 : id == DISPID_NAVIGATEERROR ? 4 : 1;
    *Argument(*parameters, cancel_index).pboolVal = VARIANT_TRUE;
  }
  if (id == DISPID_NEWWINDOW3 && new_window)
    *Argument(*parameters, 0).ppdispVal = new_window(event);
  if (after)
    after(event);
  return S_OK;
}
