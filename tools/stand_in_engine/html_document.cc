#include "tools/stand_in_engine/html_document.h"

#include <wrl/client.h>

#include <array>

#include "tools/stand_in_engine/html_window.h"
#include "tools/stand_in_engine/scoped_com.h"
#include "utils/string_util.h"

namespace {

enum DocumentProperty : DISPID {
  kDocumentMode = 1,
  kTitle = 2,
  kUrl = 3,
};

constexpr std::array<std::pair<std::wstring_view, DISPID>, 3> kProperties = {{
    {L"documentMode", kDocumentMode},
    {L"title", kTitle},
    {L"URL", kUrl},
}};

HRESULT CopyString(const std::wstring& text, BSTR* out) {
  if (!out)
    return E_POINTER;
  *out = MakeBstr(text).release();
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HtmlDocument::HtmlDocument(DocumentHost* host,
                           std::wstring url,
                           std::wstring title,
                           int document_mode)
    : host_(host), url_(std::move(url)), title_(std::move(title)), document_mode_(document_mode) {}

HRESULT HtmlDocument::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLDocument ||
      iid == IID_IHTMLDocument2) {
    *object = static_cast<IHTMLDocument2*>(this);
  } else if (iid == __uuidof(IHTMLDocument4)) {
    *object = static_cast<IHTMLDocument4*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT HtmlDocument::GetTypeInfoCount(UINT* count) {
  if (!count)
    return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT HtmlDocument::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  if (info)
    *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT HtmlDocument::GetIDsOfNames(REFIID iid,
                                    LPOLESTR* names,
                                    UINT count,
                                    LCID locale,
                                    DISPID* ids) {
  if (!names || !ids)
    return E_POINTER;
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    // Only the first name is a member; the rest would name its arguments.
    for (const auto& [name, id] : kProperties) {
      if (i == 0 && names[i] && EqualsAsciiIgnoreCase(name, names[i]))
        ids[i] = id;
    }
    if (ids[i] == DISPID_UNKNOWN)
      result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT HtmlDocument::Invoke(DISPID id,
                             REFIID iid,
                             LCID locale,
                             WORD flags,
                             DISPPARAMS* parameters,
                             VARIANT* result,
                             EXCEPINFO* exception,
                             UINT* argument_error) {
  if (!(flags & DISPATCH_PROPERTYGET))
    return DISP_E_MEMBERNOTFOUND;
  ScopedVariant value;
  switch (id) {
    case kDocumentMode:
      value = ScopedVariant::Long(document_mode_);
      break;
    case kTitle:
      value = ScopedVariant::String(title_);
      break;
    case kUrl:
      value = ScopedVariant::String(url_);
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (result)
    *result = value.Release();
  return S_OK;
}

HRESULT HtmlDocument::get_title(BSTR* title) {
  return CopyString(title_, title);
}

HRESULT HtmlDocument::put_title(BSTR title) {
  title_ = title ? std::wstring(title, ::SysStringLen(title)) : std::wstring();
  if (host_)
    host_->OnTitleSet(title_);
  return S_OK;
}

HRESULT HtmlDocument::get_parentWindow(IHTMLWindow2** window) {
  if (!window)
    return E_POINTER;
  *window = NewComObject<HtmlWindow>(this).Detach();
  return S_OK;
}

HRESULT HtmlDocument::get_URL(BSTR* url) {
  return CopyString(url_, url);
}

HRESULT HtmlDocument::get_readyState(BSTR* state) {
  return CopyString(complete_ ? L"complete" : L"interactive", state);
}

HRESULT HtmlDocument::focus() {
  HWND page = PageWindow();
  if (!page)
    return E_FAIL;
  ::SetFocus(page);
  return ::GetFocus() == page ? S_OK : E_FAIL;
}

HRESULT HtmlDocument::hasFocus(VARIANT_BOOL* focused) {
  if (!focused)
    return E_POINTER;
  HWND page = PageWindow();
  *focused = page && ::GetFocus() == page ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
