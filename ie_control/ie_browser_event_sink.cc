#include "ie_control/ie_browser_event_sink.h"

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <initializer_list>

#include "utils/com_ptr.h"

namespace {

constexpr VARTYPE kByRefVariant = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kByRefBool = VT_BYREF | VT_BOOL;
constexpr VARTYPE kByRefDispatch = VT_BYREF | VT_DISPATCH;
constexpr VARTYPE kByRefLong = VT_BYREF | VT_I4;

// An event's arguments in declared order; the caller passes them last first.
class EventArguments {
 public:
  explicit EventArguments(const DISPPARAMS& params) : params_(params) {}

  // Exactly these types, first declared parameter first. An event without
  // arguments must come without an argument array.
  bool Are(std::initializer_list<VARTYPE> types) const {
    if (params_.cArgs != types.size())
      return false;
    if (types.size() == 0)
      return params_.rgvarg == nullptr;
    if (!params_.rgvarg)
      return false;
    UINT index = 0;
    for (const VARTYPE type : types) {
      if (V_VT(&(*this)[index++]) != type)
        return false;
    }
    return true;
  }

  const VARIANT& operator[](UINT index) const { return params_.rgvarg[params_.cArgs - 1 - index]; }

 private:
  const DISPPARAMS& params_;
};

bool FindEventsPoint(IUnknown* browser, com_ptr<IConnectionPoint>* point) {
  com_ptr<IConnectionPointContainer> container;
  return browser &&
         SUCCEEDED(browser->QueryInterface(IID_IConnectionPointContainer, container.put_void())) &&
         SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point->put())) && *point;
}

}  // namespace

bool IEBrowserEventSink::Advise(IUnknown* browser) {
  com_ptr<IConnectionPoint> point;
  return FindEventsPoint(browser, &point) && SUCCEEDED(point->Advise(GetUnknown(), &cookie_));
}

bool IEBrowserEventSink::Unadvise(IUnknown* browser) {
  com_ptr<IConnectionPoint> point;
  if (!FindEventsPoint(browser, &point) || FAILED(point->Unadvise(cookie_)))
    return false;
  cookie_ = 0;
  return true;
}

STDMETHODIMP IEBrowserEventSink::GetTypeInfoCount(UINT*) {
  return E_NOTIMPL;
}

STDMETHODIMP IEBrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP IEBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP IEBrowserEventSink::Invoke(DISPID id,
                                        REFIID,
                                        LCID,
                                        WORD,
                                        DISPPARAMS* params,
                                        VARIANT*,
                                        EXCEPINFO*,
                                        UINT*) {
  if (params && delegate_)
    Dispatch(id, *params);
  return S_OK;
}

void* IEBrowserEventSink::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {Offer<IDispatch>(this)});
}

void IEBrowserEventSink::Dispatch(DISPID id, const DISPPARAMS& params) {
  const EventArguments a(params);
  Delegate* const d = delegate_;
  switch (id) {
    case DISPID_BEFORENAVIGATE2:
      if (a.Are({VT_DISPATCH, kByRefVariant, kByRefVariant, kByRefVariant, kByRefVariant,
                 kByRefVariant, kByRefBool})) {
        d->OnBeforeNavigate2(a[0].pdispVal, a[1].pvarVal, a[2].pvarVal, a[3].pvarVal, a[4].pvarVal,
                             a[5].pvarVal, a[6].pboolVal);
      }
      break;
    case DISPID_NAVIGATEERROR:
      if (a.Are({VT_DISPATCH, kByRefVariant, kByRefVariant, kByRefVariant, kByRefBool}))
        d->OnNavigateError(a[0].pdispVal, a[1].pvarVal, a[2].pvarVal, a[3].pvarVal, a[4].pboolVal);
      break;
    case DISPID_NAVIGATECOMPLETE2:
      if (a.Are({VT_DISPATCH, kByRefVariant}))
        d->OnNavigateComplete2(a[0].pdispVal, a[1].pvarVal);
      break;
    case DISPID_DOCUMENTCOMPLETE:
      if (a.Are({VT_DISPATCH, kByRefVariant}))
        d->OnDocumentComplete(a[0].pdispVal, a[1].pvarVal);
      break;
    case DISPID_STATUSTEXTCHANGE:
      if (a.Are({VT_BSTR}))
        d->OnStatusTextChange(a[0].bstrVal);
      break;
    case DISPID_TITLECHANGE:
      if (a.Are({VT_BSTR}))
        d->OnTitleChange(a[0].bstrVal);
      break;
    case DISPID_PROPERTYCHANGE:
      if (a.Are({VT_BSTR}))
        d->OnPropertyChange(a[0].bstrVal);
      break;
    case DISPID_DOWNLOADBEGIN:
      if (a.Are({}))
        d->OnDownloadBegin();
      break;
    case DISPID_DOWNLOADCOMPLETE:
      if (a.Are({}))
        d->OnDownloadComplete();
      break;
    case DISPID_QUIT:
      if (a.Are({}))
        d->OnQuit();
      break;
    case DISPID_FILEDOWNLOAD:
      if (a.Are({VT_BOOL, kByRefBool}))
        d->OnFileDownload(a[0].boolVal, a[1].pboolVal);
      break;
    case DISPID_WINDOWCLOSING:
      if (a.Are({VT_BOOL, kByRefBool}))
        d->OnWindowClosing(a[0].boolVal, a[1].pboolVal);
      break;
    case DISPID_NEWWINDOW2:
      if (a.Are({kByRefDispatch, kByRefBool}))
        d->OnNewWindow2(a[0].ppdispVal, a[1].pboolVal);
      break;
    case DISPID_NEWWINDOW3:
      // The flags come as either integer type; both carry the same bits.
      if (a.Are({kByRefDispatch, kByRefBool, VT_I4, VT_BSTR, VT_BSTR}) ||
          a.Are({kByRefDispatch, kByRefBool, VT_UI4, VT_BSTR, VT_BSTR})) {
        d->OnNewWindow3(a[0].ppdispVal, a[1].pboolVal, a[2].ulVal, a[3].bstrVal, a[4].bstrVal);
      }
      break;
    case DISPID_COMMANDSTATECHANGE:
      if (a.Are({VT_I4, VT_BOOL}))
        d->OnCommandStateChange(a[0].lVal, a[1].boolVal);
      break;
    case DISPID_PROGRESSCHANGE:
      if (a.Are({VT_I4, VT_I4}))
        d->OnProgressChange(a[0].lVal, a[1].lVal);
      break;
    case DISPID_CLIENTTOHOSTWINDOW:
      if (a.Are({kByRefLong, kByRefLong}))
        d->OnClientToHostWindow(a[0].plVal, a[1].plVal);
      break;
    case DISPID_ONVISIBLE:
      if (a.Are({VT_BOOL}))
        d->OnVisible(a[0].boolVal);
      break;
    case DISPID_ONTOOLBAR:
      if (a.Are({VT_BOOL}))
        d->OnToolBar(a[0].boolVal);
      break;
    case DISPID_ONMENUBAR:
      if (a.Are({VT_BOOL}))
        d->OnMenuBar(a[0].boolVal);
      break;
    case DISPID_ONSTATUSBAR:
      if (a.Are({VT_BOOL}))
        d->OnStatusBar(a[0].boolVal);
      break;
    case DISPID_ONFULLSCREEN:
      if (a.Are({VT_BOOL}))
        d->OnFullScreen(a[0].boolVal);
      break;
    case DISPID_ONTHEATERMODE:
      if (a.Are({VT_BOOL}))
        d->OnTheaterMode(a[0].boolVal);
      break;
    case DISPID_WINDOWSETRESIZABLE:
      if (a.Are({VT_BOOL}))
        d->OnWindowSetResizable(a[0].boolVal);
      break;
    case DISPID_PRIVACYIMPACTEDSTATECHANGE:
      if (a.Are({VT_BOOL}))
        d->OnPrivacyImpactedStateChange(a[0].boolVal);
      break;
    case DISPID_WINDOWSETLEFT:
      if (a.Are({VT_I4}))
        d->OnWindowSetLeft(a[0].lVal);
      break;
    case DISPID_WINDOWSETTOP:
      if (a.Are({VT_I4}))
        d->OnWindowSetTop(a[0].lVal);
      break;
    case DISPID_WINDOWSETWIDTH:
      if (a.Are({VT_I4}))
        d->OnWindowSetWidth(a[0].lVal);
      break;
    case DISPID_WINDOWSETHEIGHT:
      if (a.Are({VT_I4}))
        d->OnWindowSetHeight(a[0].lVal);
      break;
    case DISPID_SETSECURELOCKICON:
      if (a.Are({VT_I4}))
        d->OnSetSecureLockIcon(a[0].lVal);
      break;
    default:
      break;
  }
}
