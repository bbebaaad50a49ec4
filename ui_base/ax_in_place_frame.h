#ifndef UI_BASE_AX_IN_PLACE_FRAME_H_
#define UI_BASE_AX_IN_PLACE_FRAME_H_

#include <windows.h>

#include <ole2.h>

#include "ui_base/com_object.h"

// The frame a hosted control is told it lives in: it has no menus, tool
// space or status bar to offer, so the control keeps its user interface to
// itself.
class AxInPlaceFrame : public ComObject<IOleInPlaceFrame> {
 public:
  explicit AxInPlaceFrame(HWND window) : window_(window) {}

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter_mode) override;
  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND active_object) override;
  STDMETHODIMP RemoveMenus(HMENU shared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  HWND window_;
};

#endif  // UI_BASE_AX_IN_PLACE_FRAME_H_
