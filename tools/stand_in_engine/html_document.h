#ifndef TOOLS_STAND_IN_ENGINE_HTML_DOCUMENT_H_
#define TOOLS_STAND_IN_ENGINE_HTML_DOCUMENT_H_

#include <windows.h>

#include <functional>
#include <string>

#include "tools/stand_in_engine/com_stubs.h"
#include "ui_base/com_object.h"

// The top document: IHTMLDocument2 title and parentWindow (whose
// IHTMLWindow2 answers focus), IHTMLDocument4 focus and hasFocus. Focus goes
// to the page window `page_window` names, while its browser is there.
class HtmlDocument final : public ComObject<HtmlDocumentStubs> {
 public:
  HtmlDocument(std::wstring title, std::function<HWND()> page_window)
      : title_(std::move(title)), page_window_(std::move(page_window)) {}

  // The browser moved on or went away; the document stays readable.
  void Detach() { page_window_ = nullptr; }

  // IHTMLDocument2
  STDMETHODIMP get_title(BSTR* title) override;
  STDMETHODIMP get_parentWindow(IHTMLWindow2** window) override;
  // IHTMLDocument4
  STDMETHODIMP focus() override;
  STDMETHODIMP hasFocus(VARIANT_BOOL* focused) override;

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  HWND PageWindow() const { return page_window_ ? page_window_() : nullptr; }

  const std::wstring title_;
  std::function<HWND()> page_window_;
};

#endif  // TOOLS_STAND_IN_ENGINE_HTML_DOCUMENT_H_
