#ifndef UI_SKIN_SKIN_PAINTER_H_
#define UI_SKIN_SKIN_PAINTER_H_

#include <windows.h>

#include <string>

#include "ui/skin/skin.h"
#include "ui/skin/skin_state.h"

// What a skin window shows of one element now.
struct ElementLook {
  const StyleClass* style = nullptr;  // null: the plain look
  std::string skin;                   // image skin
  std::wstring text;
  ElementState state = ElementState::kNormal;
};

// Paints into `dc`, which holds 32-bit pixels: GDI+ draws images, colour
// buttons and smooth texts, GDI the other texts.
void PaintBackground(HDC dc, const RECT& rect, const std::optional<SkinColor>& colour);
void PaintElement(const Skin& skin, HDC dc, const ElementLook& look, const SkinRect& rect);

// Stretches an image skin over `destination` as nine parts.
void PaintNinePart(const Skin& skin,
                   Gdiplus::Graphics& graphics,
                   const std::string& name,
                   int margin,
                   const SkinRect& destination);

// The extent of a text in the element's font, for elements placed by one
// corner.
SkinSize MeasureText(const Skin& skin, HDC dc, const StyleClass* style, const std::wstring& text);

#endif  // UI_SKIN_SKIN_PAINTER_H_
