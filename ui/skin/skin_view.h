#ifndef UI_SKIN_SKIN_VIEW_H_
#define UI_SKIN_SKIN_VIEW_H_

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/skin/skin.h"
#include "ui/skin/skin_state.h"
#include "ui_base/window_impl.h"

// Notifications a skin window sends to itself as WM_NOTIFY, NMHDR.idFrom
// being the element's id, so that the class deriving from it handles them
// in its message map.
inline constexpr UINT kSkinNotifyClick = 0xA000;
inline constexpr UINT kSkinNotifyHover = 0xA001;
inline constexpr UINT kSkinNotifyLeave = 0xA002;

// A window drawn from a layout resource: its elements are windowless, laid
// out by their positions, drawn by state, and report clicks, hovers and
// leaves.
class SkinView : public WindowImpl {
 public:
  // Paints the whole client area into `dc` (also answers WM_PRINTCLIENT).
  void PaintTo(HDC dc);

  // Element changes redraw what they touch; false for an unknown id.
  bool SetElementText(int id, const std::wstring& text);
  bool SetElementTip(int id, const std::wstring& tip);
  bool ShowElement(int id, bool shown);
  bool EnableElement(int id, bool enabled);
  bool SetElementStyle(int id, const std::string& style);
  bool SetElementSkin(int id, const std::string& skin);
  // `pos` in the layout notation; false when it cannot be read.
  bool MoveElement(int id, const std::string& pos);
  std::optional<SkinRect> ElementRect(int id) const;
  std::optional<std::wstring> ElementText(int id) const;
  std::optional<bool> ElementShown(int id) const;
  std::optional<bool> ElementEnabled(int id) const;
  std::optional<std::string> ElementSkin(int id) const;

 protected:
  SkinView(const Skin& skin, const Layout& layout);
  ~SkinView() override;

  const Skin& skin() const { return skin_; }
  const Layout& layout() const { return layout_; }

  // Without a style of its own (0), a window takes the one the layout
  // gives: a child, or a pop-up with a system menu.
  HWND CreateSkinWindow(const WindowClassInfo& info,
                        HWND parent,
                        const RECT& rect,
                        DWORD style,
                        DWORD ex_style,
                        UINT id);
  // Places every element again for the current client size.
  void LayOut();
  // Runs after the elements are drawn.
  virtual void PaintHook(HDC dc, const RECT& client) {}

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  TB_MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
  TB_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  TB_MESSAGE_HANDLER(WM_SIZE, OnSize)
  TB_MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  TB_MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
  TB_MESSAGE_HANDLER(WM_LBUTTONDOWN, OnButtonDown)
  TB_MESSAGE_HANDLER(WM_LBUTTONUP, OnButtonUp)
  TB_MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
  TB_MESSAGE_HANDLER(WM_NCHITTEST, OnHitTest)
  TB_END_MSG_MAP()

 private:
  // The element's own layout entry holds what may change: pos, texts,
  // style, skin, visibility.
  struct Element {
    LayoutElement* source = nullptr;
    SkinRect rect;
    bool enabled = true;
  };

  LRESULT OnPaint(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnPrintClient(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, bool&) { return 1; }
  LRESULT OnSize(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnButtonDown(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnButtonUp(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnHitTest(UINT, WPARAM, LPARAM, bool&);

  Element* Find(int id);
  const Element* Find(int id) const;
  // The topmost shown element at a client point that reacts to the mouse.
  Element* ActiveAt(POINT point);
  bool Reacts(const Element& element) const;
  const StyleClass* StyleOf(const Element& element) const;
  ElementState StateOf(const Element& element) const;
  void Invalidate(const Element& element);
  void SetHot(Element* element);
  void Notify(const Element& element, UINT code);
  void UpdateTips();

  const Skin& skin_;
  Layout layout_;                  // our copy: the elements change
  std::vector<Element> elements_;  // in drawing order, panels before children
  Element* hot_ = nullptr;
  Element* pressed_ = nullptr;
  bool tracking_ = false;
  HWND tips_ = nullptr;  // owned by the window, which destroys it
};

#endif  // UI_SKIN_SKIN_VIEW_H_
