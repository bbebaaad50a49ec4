#include "ui/skin/skin_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/skin/gdi_owners.h"
#include "ui/skin/skin_painter.h"
#include "utils/log_failure.h"

namespace {

void Flatten(std::vector<LayoutElement>& elements, std::vector<LayoutElement*>* out) {
  for (LayoutElement& element : elements) {
    out->push_back(&element);
    Flatten(element.children, out);
  }
}

bool Contains(const SkinRect& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

}  // namespace

SkinView::SkinView(const Skin& skin, const Layout& layout) : skin_(skin), layout_(layout) {
  std::vector<LayoutElement*> flat;
  Flatten(layout_.elements, &flat);
  for (LayoutElement* element : flat)
    elements_.push_back({element, {}, true});
}

SkinView::~SkinView() = default;

HWND SkinView::CreateSkinWindow(const WindowClassInfo& info,
                                HWND parent,
                                const RECT& rect,
                                DWORD style,
                                DWORD ex_style,
                                UINT id) {
  if (!style) {
    style = layout_.child ? WS_CHILD | WS_CLIPCHILDREN
                          : WS_POPUP | WS_SYSMENU | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    if (!layout_.no_border && !layout_.child)
      style |= WS_BORDER;
    if (layout_.shown)
      style |= WS_VISIBLE;
    ex_style |= WS_EX_CONTROLPARENT | (layout_.app_window ? WS_EX_APPWINDOW : 0);
  }
  const HWND hwnd = CreateWindowOfClass(info, parent, rect, style, ex_style, id);
  if (!hwnd)
    return nullptr;
  if (!layout_.title.empty())
    LOG_IF_WIN32_BOOL_FALSE(::SetWindowTextW(hwnd, layout_.title.c_str()));
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  LOG_IF_WIN32_BOOL_FALSE(::InitCommonControlsEx(&controls));
  tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd,
                            nullptr, nullptr, nullptr);
  LayOut();
  return hwnd;
}

void SkinView::LayOut() {
  if (!hwnd())
    return;
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  const HDC dc = ::GetDC(hwnd());
  const std::vector<PlacedElement> placed = PlaceElements(
      layout_.elements, {0, 0, client.right, client.bottom}, [&](const LayoutElement& element) {
        if (!element.skin.empty())
          return skin_.FrameSize(element.skin);
        const auto style = skin_.catalog().styles.find(element.style);
        return MeasureText(skin_, dc,
                           style != skin_.catalog().styles.end() ? &style->second : nullptr,
                           element.text);
      });
  ::ReleaseDC(hwnd(), dc);
  for (size_t i = 0; i < placed.size() && i < elements_.size(); ++i)
    elements_[i].rect = placed[i].rect;
  UpdateTips();
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void SkinView::PaintTo(HDC dc) {
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  PaintBackground(dc, client, layout_.background);
  for (const Element& element : elements_) {
    if (!element.source->shown)
      continue;
    const ElementLook look = {StyleOf(element), element.source->skin, element.source->text,
                              StateOf(element)};
    PaintElement(skin_, dc, look, element.rect);
  }
  PaintHook(dc, client);
}

LRESULT SkinView::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(hwnd(), &paint);
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  // Drawn off screen first, so the window never shows half a frame.
  unique_memory_dc memory(::CreateCompatibleDC(dc));
  unique_hbitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (memory && bitmap) {
    const ScopedSelectObject select(memory.get(), bitmap.get());
    PaintTo(memory.get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  ::EndPaint(hwnd(), &paint);
  return 0;
}

LRESULT SkinView::OnPrintClient(UINT, WPARAM wparam, LPARAM, bool&) {
  PaintTo(reinterpret_cast<HDC>(wparam));
  return 0;
}

LRESULT SkinView::OnSize(UINT, WPARAM, LPARAM, bool&) {
  LayOut();
  return 0;
}

LRESULT SkinView::OnMouseMove(UINT, WPARAM, LPARAM lparam, bool&) {
  if (!tracking_) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd(), 0};
    tracking_ = ::TrackMouseEvent(&track) != FALSE;
  }
  SetHot(ActiveAt({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}));
  return 0;
}

LRESULT SkinView::OnMouseLeave(UINT, WPARAM, LPARAM, bool&) {
  tracking_ = false;
  SetHot(nullptr);
  return 0;
}

LRESULT SkinView::OnButtonDown(UINT, WPARAM, LPARAM lparam, bool&) {
  pressed_ = ActiveAt({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
  if (pressed_) {
    ::SetCapture(hwnd());
    Invalidate(*pressed_);
  }
  return 0;
}

LRESULT SkinView::OnButtonUp(UINT, WPARAM, LPARAM lparam, bool&) {
  Element* const pressed = std::exchange(pressed_, nullptr);
  if (!pressed)
    return 0;
  ::ReleaseCapture();
  Invalidate(*pressed);
  // A press counts where it ends on the element it began on.
  if (pressed == ActiveAt({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}))
    Notify(*pressed, kSkinNotifyClick);
  return 0;
}

LRESULT SkinView::OnSetCursor(UINT, WPARAM, LPARAM lparam, bool& handled) {
  // Asked before the move that would update the hot element.
  POINT point = {};
  ::GetCursorPos(&point);
  ::ScreenToClient(hwnd(), &point);
  const Element* element = ActiveAt(point);
  const StyleClass* style = element ? StyleOf(*element) : nullptr;
  if (LOWORD(lparam) != HTCLIENT || !style || style->cursor != SkinCursor::kHand) {
    handled = false;
    return 0;
  }
  ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
  return TRUE;
}

LRESULT SkinView::OnHitTest(UINT message, WPARAM wparam, LPARAM lparam, bool&) {
  const LRESULT hit = DefaultProc(message, wparam, lparam);
  if (!layout_.header || hit != HTCLIENT)
    return hit;
  // A header drags its window, except where an element takes the press.
  POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::ScreenToClient(hwnd(), &point);
  const Element* element = ActiveAt(point);
  return element && element->source->takes_header_clicks ? HTCLIENT : HTCAPTION;
}

bool SkinView::Reacts(const Element& element) const {
  switch (element.source->kind) {
    case ElementKind::kLink:
    case ElementKind::kImageButton:
    case ElementKind::kButton:
      return element.source->shown && element.enabled;
    default:
      return false;
  }
}

SkinView::Element* SkinView::ActiveAt(POINT point) {
  for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
    if (Reacts(*it) && Contains(it->rect, point))
      return &*it;
  }
  return nullptr;
}

const StyleClass* SkinView::StyleOf(const Element& element) const {
  const auto style = skin_.catalog().styles.find(element.source->style);
  return style != skin_.catalog().styles.end() ? &style->second : nullptr;
}

ElementState SkinView::StateOf(const Element& element) const {
  if (!element.enabled)
    return ElementState::kDisabled;
  if (&element == pressed_)
    return &element == hot_ || !hot_ ? ElementState::kPressed : ElementState::kNormal;
  return &element == hot_ ? ElementState::kHover : ElementState::kNormal;
}

void SkinView::Invalidate(const Element& element) {
  const RECT rect = {element.rect.left, element.rect.top, element.rect.right, element.rect.bottom};
  ::InvalidateRect(hwnd(), &rect, FALSE);
}

void SkinView::SetHot(Element* element) {
  if (element == hot_)
    return;
  Element* const previous = std::exchange(hot_, element);
  if (previous) {
    Invalidate(*previous);
    Notify(*previous, kSkinNotifyLeave);
  }
  if (element) {
    Invalidate(*element);
    Notify(*element, kSkinNotifyHover);
  }
}

void SkinView::Notify(const Element& element, UINT code) {
  NMHDR header = {hwnd(), static_cast<UINT_PTR>(element.source->id), code};
  ::SendMessageW(hwnd(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void SkinView::UpdateTips() {
  if (!tips_)
    return;
  for (size_t i = 0; i < elements_.size(); ++i) {
    TOOLINFOW tool = {sizeof(tool)};
    tool.hwnd = hwnd();
    tool.uId = i + 1;
    ::SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    const Element& element = elements_[i];
    if (element.source->tip.empty() || !element.source->shown)
      continue;
    tool.uFlags = TTF_SUBCLASS;
    tool.rect = {element.rect.left, element.rect.top, element.rect.right, element.rect.bottom};
    tool.lpszText = const_cast<wchar_t*>(element.source->tip.c_str());
    ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

SkinView::Element* SkinView::Find(int id) {
  for (Element& element : elements_) {
    if (element.source->id == id)
      return &element;
  }
  return nullptr;
}

const SkinView::Element* SkinView::Find(int id) const {
  return const_cast<SkinView*>(this)->Find(id);
}

bool SkinView::SetElementText(int id, const std::wstring& text) {
  Element* element = Find(id);
  if (!element)
    return false;
  element->source->text = text;
  LayOut();
  return true;
}

bool SkinView::SetElementTip(int id, const std::wstring& tip) {
  Element* element = Find(id);
  if (!element)
    return false;
  element->source->tip = tip;
  UpdateTips();
  return true;
}

bool SkinView::ShowElement(int id, bool shown) {
  Element* element = Find(id);
  if (!element)
    return false;
  element->source->shown = shown;
  if (!shown && (hot_ == element || pressed_ == element)) {
    hot_ = nullptr;
    pressed_ = nullptr;
  }
  UpdateTips();
  Invalidate(*element);
  return true;
}

bool SkinView::EnableElement(int id, bool enabled) {
  Element* element = Find(id);
  if (!element)
    return false;
  element->enabled = enabled;
  Invalidate(*element);
  return true;
}

bool SkinView::SetElementStyle(int id, const std::string& style) {
  Element* element = Find(id);
  if (!element || !skin_.catalog().styles.contains(style))
    return false;
  element->source->style = style;
  Invalidate(*element);
  return true;
}

bool SkinView::SetElementSkin(int id, const std::string& skin) {
  Element* element = Find(id);
  if (!element || !skin_.ImageSkinNamed(skin))
    return false;
  element->source->skin = skin;
  Invalidate(*element);
  return true;
}

bool SkinView::MoveElement(int id, const std::string& pos) {
  Element* element = Find(id);
  const std::optional<SkinPos> parsed = ParsePos(pos);
  if (!element || !parsed)
    return false;
  element->source->pos = *parsed;
  LayOut();
  return true;
}

std::optional<SkinRect> SkinView::ElementRect(int id) const {
  const Element* element = Find(id);
  return element ? std::optional<SkinRect>(element->rect) : std::nullopt;
}

std::optional<std::wstring> SkinView::ElementText(int id) const {
  const Element* element = Find(id);
  return element ? std::optional<std::wstring>(element->source->text) : std::nullopt;
}

std::optional<bool> SkinView::ElementShown(int id) const {
  const Element* element = Find(id);
  return element ? std::optional<bool>(element->source->shown) : std::nullopt;
}

std::optional<bool> SkinView::ElementEnabled(int id) const {
  const Element* element = Find(id);
  return element ? std::optional<bool>(element->enabled) : std::nullopt;
}

std::optional<std::string> SkinView::ElementSkin(int id) const {
  const Element* element = Find(id);
  return element ? std::optional<std::string>(element->source->skin) : std::nullopt;
}
