#ifndef TOOLS_STAND_IN_ENGINE_COM_STUBS_H_
#define TOOLS_STAND_IN_ENGINE_COM_STUBS_H_

#include <windows.h>

#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>
#include <ole2.h>

// The engine's interfaces with every method answering E_NOTIMPL, for the
// stand-in to override the few its hosts call. IUnknown is left to
// ComObject; IDispatch knows no names.

#define STUB(method, ...)                                  \
  HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override { \
    return E_NOTIMPL;                                      \
  }
#define STUB_PROPERTY(name, type) \
  STUB(put_##name, type)          \
  STUB(get_##name, type*)
#define STUB_DISPATCH                                         \
  STUB(GetTypeInfoCount, UINT*)                               \
  STUB(GetTypeInfo, UINT, LCID, ITypeInfo**)                  \
  STUB(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*) \
  STUB(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

// clang-format off
class WebBrowser2Stubs : public IWebBrowser2 {
 public:
  STUB_DISPATCH
  STUB(GoBack)
  STUB(GoForward)
  STUB(GoHome)
  STUB(GoSearch)
  STUB(Navigate, BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
  STUB(Refresh)
  STUB(Refresh2, VARIANT*)
  STUB(Stop)
  STUB(get_Application, IDispatch**)
  STUB(get_Parent, IDispatch**)
  STUB(get_Container, IDispatch**)
  STUB(get_Document, IDispatch**)
  STUB(get_TopLevelContainer, VARIANT_BOOL*)
  STUB(get_Type, BSTR*)
  STUB_PROPERTY(Left, LONG)
  STUB_PROPERTY(Top, LONG)
  STUB_PROPERTY(Width, LONG)
  STUB_PROPERTY(Height, LONG)
  STUB(get_LocationName, BSTR*)
  STUB(get_LocationURL, BSTR*)
  STUB(get_Busy, VARIANT_BOOL*)
  STUB(Quit)
  STUB(ClientToWindow, int*, int*)
  STUB(PutProperty, BSTR, VARIANT)
  STUB(GetProperty, BSTR, VARIANT*)
  STUB(get_Name, BSTR*)
  STUB(get_HWND, SHANDLE_PTR*)
  STUB(get_FullName, BSTR*)
  STUB(get_Path, BSTR*)
  STUB_PROPERTY(Visible, VARIANT_BOOL)
  STUB_PROPERTY(StatusBar, VARIANT_BOOL)
  STUB_PROPERTY(StatusText, BSTR)
  STUB_PROPERTY(ToolBar, int)
  STUB_PROPERTY(MenuBar, VARIANT_BOOL)
  STUB_PROPERTY(FullScreen, VARIANT_BOOL)
  STUB(Navigate2, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
  STUB(QueryStatusWB, OLECMDID, OLECMDF*)
  STUB(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
  STUB(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*)
  STUB(get_ReadyState, READYSTATE*)
  STUB_PROPERTY(Offline, VARIANT_BOOL)
  STUB_PROPERTY(Silent, VARIANT_BOOL)
  STUB_PROPERTY(RegisterAsBrowser, VARIANT_BOOL)
  STUB_PROPERTY(RegisterAsDropTarget, VARIANT_BOOL)
  STUB_PROPERTY(TheaterMode, VARIANT_BOOL)
  STUB_PROPERTY(AddressBar, VARIANT_BOOL)
  STUB_PROPERTY(Resizable, VARIANT_BOOL)
};

class OleControlStubs : public IOleObject,
                        public IOleInPlaceObject,
                        public IOleInPlaceActiveObject,
                        public IConnectionPointContainer,
                        public IPersistStreamInit {
 public:
  // IOleObject
  STUB(SetClientSite, IOleClientSite*)
  STUB(GetClientSite, IOleClientSite**)
  STUB(SetHostNames, LPCOLESTR, LPCOLESTR)
  STUB(Close, DWORD)
  STUB(SetMoniker, DWORD, IMoniker*)
  STUB(GetMoniker, DWORD, DWORD, IMoniker**)
  STUB(InitFromData, IDataObject*, BOOL, DWORD)
  STUB(GetClipboardData, DWORD, IDataObject**)
  STUB(DoVerb, LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT)
  STUB(EnumVerbs, IEnumOLEVERB**)
  STUB(Update)
  STUB(IsUpToDate)
  STUB(GetUserClassID, CLSID*)
  STUB(GetUserType, DWORD, LPOLESTR*)
  STUB(SetExtent, DWORD, SIZEL*)
  STUB(GetExtent, DWORD, SIZEL*)
  STUB(Advise, IAdviseSink*, DWORD*)
  STUB(Unadvise, DWORD)
  STUB(EnumAdvise, IEnumSTATDATA**)
  STUB(GetMiscStatus, DWORD, DWORD*)
  STUB(SetColorScheme, LOGPALETTE*)
  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STUB(GetWindow, HWND*)
  STUB(ContextSensitiveHelp, BOOL)
  STUB(InPlaceDeactivate)
  STUB(UIDeactivate)
  STUB(SetObjectRects, LPCRECT, LPCRECT)
  STUB(ReactivateAndUndo)
  STUB(TranslateAccelerator, LPMSG)
  STUB(OnFrameWindowActivate, BOOL)
  STUB(OnDocWindowActivate, BOOL)
  STUB(ResizeBorder, LPCRECT, IOleInPlaceUIWindow*, BOOL)
  STUB(EnableModeless, BOOL)
  // IConnectionPointContainer
  STUB(EnumConnectionPoints, IEnumConnectionPoints**)
  STUB(FindConnectionPoint, REFIID, IConnectionPoint**)
  // IPersistStreamInit
  STUB(GetClassID, CLSID*)
  STUB(IsDirty)
  STUB(Load, IStream*)
  STUB(Save, IStream*, BOOL)
  STUB(GetSizeMax, ULARGE_INTEGER*)
  STUB(InitNew)
};

class HtmlDocumentStubs : public IHTMLDocument2, public IHTMLDocument4 {
 public:
  STUB_DISPATCH
  STUB(get_Script, IDispatch**)
  STUB(get_all, IHTMLElementCollection**)
  STUB(get_body, IHTMLElement**)
  STUB(get_activeElement, IHTMLElement**)
  STUB(get_images, IHTMLElementCollection**)
  STUB(get_applets, IHTMLElementCollection**)
  STUB(get_links, IHTMLElementCollection**)
  STUB(get_forms, IHTMLElementCollection**)
  STUB(get_anchors, IHTMLElementCollection**)
  STUB_PROPERTY(title, BSTR)
  STUB(get_scripts, IHTMLElementCollection**)
  STUB_PROPERTY(designMode, BSTR)
  STUB(get_selection, IHTMLSelectionObject**)
  STUB(get_readyState, BSTR*)
  STUB(get_frames, IHTMLFramesCollection2**)
  STUB(get_embeds, IHTMLElementCollection**)
  STUB(get_plugins, IHTMLElementCollection**)
  STUB_PROPERTY(alinkColor, VARIANT)
  STUB_PROPERTY(bgColor, VARIANT)
  STUB_PROPERTY(fgColor, VARIANT)
  STUB_PROPERTY(linkColor, VARIANT)
  STUB_PROPERTY(vlinkColor, VARIANT)
  STUB(get_referrer, BSTR*)
  STUB(get_location, IHTMLLocation**)
  STUB(get_lastModified, BSTR*)
  STUB_PROPERTY(URL, BSTR)
  STUB_PROPERTY(domain, BSTR)
  STUB_PROPERTY(cookie, BSTR)
  STUB_PROPERTY(expando, VARIANT_BOOL)
  STUB_PROPERTY(charset, BSTR)
  STUB_PROPERTY(defaultCharset, BSTR)
  STUB(get_mimeType, BSTR*)
  STUB(get_fileSize, BSTR*)
  STUB(get_fileCreatedDate, BSTR*)
  STUB(get_fileModifiedDate, BSTR*)
  STUB(get_fileUpdatedDate, BSTR*)
  STUB(get_security, BSTR*)
  STUB(get_protocol, BSTR*)
  STUB(get_nameProp, BSTR*)
  STUB(write, SAFEARRAY*)
  STUB(writeln, SAFEARRAY*)
  STUB(open, BSTR, VARIANT, VARIANT, VARIANT, IDispatch**)
  STUB(close)
  STUB(clear)
  STUB(queryCommandSupported, BSTR, VARIANT_BOOL*)
  STUB(queryCommandEnabled, BSTR, VARIANT_BOOL*)
  STUB(queryCommandState, BSTR, VARIANT_BOOL*)
  STUB(queryCommandIndeterm, BSTR, VARIANT_BOOL*)
  STUB(queryCommandText, BSTR, BSTR*)
  STUB(queryCommandValue, BSTR, VARIANT*)
  STUB(execCommand, BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL*)
  STUB(execCommandShowHelp, BSTR, VARIANT_BOOL*)
  STUB(createElement, BSTR, IHTMLElement**)
  STUB_PROPERTY(onhelp, VARIANT)
  STUB_PROPERTY(onclick, VARIANT)
  STUB_PROPERTY(ondblclick, VARIANT)
  STUB_PROPERTY(onkeyup, VARIANT)
  STUB_PROPERTY(onkeydown, VARIANT)
  STUB_PROPERTY(onkeypress, VARIANT)
  STUB_PROPERTY(onmouseup, VARIANT)
  STUB_PROPERTY(onmousedown, VARIANT)
  STUB_PROPERTY(onmousemove, VARIANT)
  STUB_PROPERTY(onmouseout, VARIANT)
  STUB_PROPERTY(onmouseover, VARIANT)
  STUB_PROPERTY(onreadystatechange, VARIANT)
  STUB_PROPERTY(onafterupdate, VARIANT)
  STUB_PROPERTY(onrowexit, VARIANT)
  STUB_PROPERTY(onrowenter, VARIANT)
  STUB_PROPERTY(ondragstart, VARIANT)
  STUB_PROPERTY(onselectstart, VARIANT)
  STUB(elementFromPoint, LONG, LONG, IHTMLElement**)
  STUB(get_parentWindow, IHTMLWindow2**)
  STUB(get_styleSheets, IHTMLStyleSheetsCollection**)
  STUB_PROPERTY(onbeforeupdate, VARIANT)
  STUB_PROPERTY(onerrorupdate, VARIANT)
  STUB(toString, BSTR*)
  STUB(createStyleSheet, BSTR, LONG, IHTMLStyleSheet**)
  STUB(focus)
  STUB(hasFocus, VARIANT_BOOL*)
  STUB_PROPERTY(onselectionchange, VARIANT)
  STUB(get_namespaces, IDispatch**)
  STUB(createDocumentFromUrl, BSTR, BSTR, IHTMLDocument2**)
  STUB_PROPERTY(media, BSTR)
  STUB(createEventObject, VARIANT*, IHTMLEventObj**)
  STUB(fireEvent, BSTR, VARIANT*, VARIANT_BOOL*)
  STUB(createRenderStyle, BSTR, IHTMLRenderStyle**)
  STUB_PROPERTY(oncontrolselect, VARIANT)
  STUB(get_URLUnencoded, BSTR*)
};

class HtmlWindowStubs : public IHTMLWindow2 {
 public:
  STUB_DISPATCH
  STUB(item, VARIANT*, VARIANT*)
  STUB(get_length, LONG*)
  STUB(get_frames, IHTMLFramesCollection2**)
  STUB_PROPERTY(defaultStatus, BSTR)
  STUB_PROPERTY(status, BSTR)
  STUB(setTimeout, BSTR, LONG, VARIANT*, LONG*)
  STUB(clearTimeout, LONG)
  STUB(alert, BSTR)
  STUB(confirm, BSTR, VARIANT_BOOL*)
  STUB(prompt, BSTR, BSTR, VARIANT*)
  STUB(get_Image, IHTMLImageElementFactory**)
  STUB(get_location, IHTMLLocation**)
  STUB(get_history, IOmHistory**)
  STUB(close)
  STUB_PROPERTY(opener, VARIANT)
  STUB(get_navigator, IOmNavigator**)
  STUB_PROPERTY(name, BSTR)
  STUB(get_parent, IHTMLWindow2**)
  STUB(open, BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2**)
  STUB(get_self, IHTMLWindow2**)
  STUB(get_top, IHTMLWindow2**)
  STUB(get_window, IHTMLWindow2**)
  STUB(navigate, BSTR)
  STUB_PROPERTY(onfocus, VARIANT)
  STUB_PROPERTY(onblur, VARIANT)
  STUB_PROPERTY(onload, VARIANT)
  STUB_PROPERTY(onbeforeunload, VARIANT)
  STUB_PROPERTY(onunload, VARIANT)
  STUB_PROPERTY(onhelp, VARIANT)
  STUB_PROPERTY(onerror, VARIANT)
  STUB_PROPERTY(onresize, VARIANT)
  STUB_PROPERTY(onscroll, VARIANT)
  STUB(get_document, IHTMLDocument2**)
  STUB(get_event, IHTMLEventObj**)
  STUB(get__newEnum, IUnknown**)
  STUB(showModalDialog, BSTR, VARIANT*, VARIANT*, VARIANT*)
  STUB(showHelp, BSTR, VARIANT, BSTR)
  STUB(get_screen, IHTMLScreen**)
  STUB(get_Option, IHTMLOptionElementFactory**)
  STUB(focus)
  STUB(get_closed, VARIANT_BOOL*)
  STUB(blur)
  STUB(scroll, LONG, LONG)
  STUB(get_clientInformation, IOmNavigator**)
  STUB(setInterval, BSTR, LONG, VARIANT*, LONG*)
  STUB(clearInterval, LONG)
  STUB_PROPERTY(offscreenBuffering, VARIANT)
  STUB(execScript, BSTR, BSTR, VARIANT*)
  STUB(toString, BSTR*)
  STUB(scrollBy, LONG, LONG)
  STUB(scrollTo, LONG, LONG)
  STUB(moveTo, LONG, LONG)
  STUB(moveBy, LONG, LONG)
  STUB(resizeTo, LONG, LONG)
  STUB(resizeBy, LONG, LONG)
  STUB(get_external, IDispatch**)
};
// clang-format on

#undef STUB_DISPATCH
#undef STUB_PROPERTY
#undef STUB

#endif  // TOOLS_STAND_IN_ENGINE_COM_STUBS_H_
