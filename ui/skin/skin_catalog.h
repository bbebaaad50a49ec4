#ifndef UI_SKIN_SKIN_CATALOG_H_
#define UI_SKIN_SKIN_CATALOG_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ui/skin/skin_notation.h"
#include "ui/skin/skin_xml.h"

// A PNG resource; with a frame width it is a strip of equal frames, one per
// state of the control that shows it.
struct ImageSkin {
  int resource_id = 0;
  int frame_width = 0;  // 0: the whole image is one frame
};

// A button drawn from colours: gradients from the "up" to the "down" colour
// of each state.
struct ButtonSkin {
  SkinColor border, background;
  SkinColor up, down;
  SkinColor hover_up, hover_down;
  SkinColor push_up, push_down;
};

struct StyleClass {
  std::string skin;  // a button skin; empty for none
  std::optional<SkinColor> text, hover, disabled, background;
  std::optional<FontCode> font;
  std::optional<uint32_t> text_flags;     // DrawText
  std::optional<uint32_t> text_flags_ex;  // "textmodeex"
  SkinCursor cursor = SkinCursor::kArrow;
  bool smooth_text = false;  // drawn with GDI+
};

// Everything the layouts refer to by name.
struct SkinCatalog {
  std::map<int, std::wstring> strings;
  std::map<std::string, ImageSkin, std::less<>> images;
  std::map<std::string, ButtonSkin, std::less<>> buttons;
  std::map<std::string, StyleClass, std::less<>> styles;
};

// Each adds what it reads to `catalog`; entries it cannot read are left out
// with a line in `problems`. False when the document itself is unreadable.
[[nodiscard]] bool ParseSkinStrings(std::string_view xml,
                                    SkinCatalog* catalog,
                                    SkinProblems* problems);
[[nodiscard]] bool ParseSkins(std::string_view xml, SkinCatalog* catalog, SkinProblems* problems);
// After the skins: a class naming an unknown button skin is left out.
[[nodiscard]] bool ParseSkinStyles(std::string_view xml,
                                   SkinCatalog* catalog,
                                   SkinProblems* problems);

#endif  // UI_SKIN_SKIN_CATALOG_H_
