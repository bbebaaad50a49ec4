#include "ui/skin/skin_painter.h"

#include "ui/skin/gdi_owners.h"
#include "ui/skin/nine_part.h"

namespace {

// Disabled controls without a frame of their own.
constexpr float kFadedAlpha = 0.45f;
// Used when a style sets no DrawText flags.
constexpr UINT kDefaultTextFlags = DT_SINGLELINE | DT_VCENTER;

COLORREF ToColorRef(const SkinColor& c) {
  return RGB(c.red, c.green, c.blue);
}

Gdiplus::Color ToGdiplus(const SkinColor& c) {
  return Gdiplus::Color(255, c.red, c.green, c.blue);
}

void PaintImage(const Skin& skin,
                Gdiplus::Graphics& graphics,
                const ElementLook& look,
                const SkinRect& rect) {
  const ImageSkin* image_skin = skin.ImageSkinNamed(look.skin);
  Gdiplus::Bitmap* image = image_skin ? skin.Image(image_skin->resource_id) : nullptr;
  if (!image)
    return;
  const SkinSize frame = skin.FrameSize(look.skin);
  const int frames = frame.width ? static_cast<int>(image->GetWidth()) / frame.width : 1;
  const StripFrame chosen = StripFrameFor(frames, look.state);
  Gdiplus::ImageAttributes faded;
  Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                  {0, 1, 0, 0, 0},
                                  {0, 0, 1, 0, 0},
                                  {0, 0, 0, kFadedAlpha, 0},
                                  {0, 0, 0, 0, 1}}};
  faded.SetColorMatrix(&matrix);
  graphics.DrawImage(image, Gdiplus::Rect(rect.left, rect.top, rect.width(), rect.height()),
                     chosen.index * frame.width, 0, frame.width, frame.height, Gdiplus::UnitPixel,
                     chosen.faded ? &faded : nullptr);
}

void PaintColourButton(const Skin& skin,
                       Gdiplus::Graphics& graphics,
                       const ElementLook& look,
                       const SkinRect& rect) {
  const auto button = skin.catalog().buttons.find(look.style->skin);
  if (button == skin.catalog().buttons.end() || rect.width() < 2 || rect.height() < 2)
    return;
  const ButtonLook colours = ButtonLookFor(button->second, look.state);
  const Gdiplus::Rect area(rect.left, rect.top, rect.width() - 1, rect.height() - 1);
  Gdiplus::LinearGradientBrush fill(Gdiplus::Rect(area.X, area.Y - 1, area.Width, area.Height + 2),
                                    ToGdiplus(colours.top), ToGdiplus(colours.bottom),
                                    Gdiplus::LinearGradientModeVertical);
  graphics.FillRectangle(&fill, area);
  Gdiplus::Pen border(ToGdiplus(colours.border));
  graphics.DrawRectangle(&border, area);
}

void PaintText(const Skin& skin, HDC dc, const ElementLook& look, const SkinRect& rect) {
  const StyleClass plain;
  const StyleClass& style = look.style ? *look.style : plain;
  const HFONT font = skin.Font(style.font);
  const SkinColor colour = TextColorFor(style, look.state);
  RECT box = {rect.left, rect.top, rect.right, rect.bottom};
  if (style.smooth_text) {
    // Centred in the box, as the dialog's texts are laid out.
    Gdiplus::Graphics graphics(dc);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    Gdiplus::Font gdiplus_font(dc, font);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush brush(ToGdiplus(colour));
    graphics.DrawString(
        look.text.c_str(), static_cast<INT>(look.text.size()), &gdiplus_font,
        Gdiplus::RectF(static_cast<float>(rect.left), static_cast<float>(rect.top),
                       static_cast<float>(rect.width()), static_cast<float>(rect.height())),
        &format, &brush);
    return;
  }
  const ScopedSelectObject select(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ToColorRef(colour));
  ::DrawTextW(dc, look.text.c_str(), static_cast<int>(look.text.size()), &box,
              style.text_flags.value_or(kDefaultTextFlags) | DT_NOPREFIX);
}

}  // namespace

void PaintBackground(HDC dc, const RECT& rect, const std::optional<SkinColor>& colour) {
  Gdiplus::Graphics graphics(dc);
  Gdiplus::SolidBrush brush(colour ? ToGdiplus(*colour) : Gdiplus::Color(255, 255, 255, 255));
  graphics.FillRectangle(&brush, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                         static_cast<INT>(rect.right - rect.left),
                         static_cast<INT>(rect.bottom - rect.top));
}

void PaintElement(const Skin& skin, HDC dc, const ElementLook& look, const SkinRect& rect) {
  {
    Gdiplus::Graphics graphics(dc);
    if (!look.skin.empty())
      PaintImage(skin, graphics, look, rect);
    else if (look.style && !look.style->skin.empty())
      PaintColourButton(skin, graphics, look, rect);
  }
  if (!look.text.empty())
    PaintText(skin, dc, look, rect);
}

void PaintNinePart(const Skin& skin,
                   Gdiplus::Graphics& graphics,
                   const std::string& name,
                   int margin,
                   const SkinRect& destination) {
  const ImageSkin* image_skin = skin.ImageSkinNamed(name);
  Gdiplus::Bitmap* image = image_skin ? skin.Image(image_skin->resource_id) : nullptr;
  if (!image)
    return;
  const SkinSize size = {static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())};
  // Stretched edges would blend in pixels from beyond their part.
  Gdiplus::ImageAttributes clamp;
  clamp.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  for (const NinePart& part : SplitNineParts(size, margin, destination)) {
    if (part.destination.width() <= 0 || part.destination.height() <= 0)
      continue;
    graphics.DrawImage(image,
                       Gdiplus::Rect(part.destination.left, part.destination.top,
                                     part.destination.width(), part.destination.height()),
                       part.source.left, part.source.top, part.source.width(), part.source.height(),
                       Gdiplus::UnitPixel, &clamp);
  }
}

SkinSize MeasureText(const Skin& skin, HDC dc, const StyleClass* style, const std::wstring& text) {
  const ScopedSelectObject select(dc, skin.Font(style ? style->font : std::nullopt));
  SIZE size = {};
  if (!::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
    return {};
  return {size.cx, size.cy};
}
