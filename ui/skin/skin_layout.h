#ifndef UI_SKIN_SKIN_LAYOUT_H_
#define UI_SKIN_SKIN_LAYOUT_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/skin/skin_catalog.h"
#include "ui/skin/skin_pos.h"

// A window described by a layout document: a <layer> with one <body> or
// <header> section holding the elements.

enum class ElementKind { kImage, kText, kLink, kImageButton, kButton, kPanel };

struct LayoutElement {
  ElementKind kind = ElementKind::kText;
  int id = 0;
  std::string name;
  SkinPos pos;
  std::string style;  // a known class, or empty for the plain look
  std::string skin;   // an image skin (images and image buttons)
  std::wstring tip;
  std::wstring text;
  bool shown = true;
  bool takes_header_clicks = false;     // a mouse press in a header stays with it
  std::vector<LayoutElement> children;  // panels only
};

struct Layout {
  int width = 0;
  int height = 0;
  std::wstring title;
  bool app_window = false;
  bool no_border = false;
  bool child = false;
  bool resizable = false;
  bool shown = false;
  bool header = false;  // the section is a header: it drags the window
  std::optional<SkinColor> background;
  std::vector<LayoutElement> elements;
};

// Elements that cannot be shown (no or bad pos, an image skin the catalog
// lacks, an unknown element) are left out; a class the catalog lacks is
// dropped. Each such case adds a line to `problems`. Nothing when the layer
// itself cannot be read.
std::optional<Layout> ParseLayout(std::string_view xml,
                                  const SkinCatalog& catalog,
                                  SkinProblems* problems);

struct PlacedElement {
  const LayoutElement* element = nullptr;
  SkinRect rect;
};

// The size an element has when its pos gives only a corner: its image frame
// or its text extent.
using NaturalSize = std::function<SkinSize(const LayoutElement&)>;

// Rectangles in the coordinates of `parent`; a panel's children follow it,
// placed inside it.
std::vector<PlacedElement> PlaceElements(const std::vector<LayoutElement>& elements,
                                         const SkinRect& parent,
                                         const NaturalSize& natural_size);

#endif  // UI_SKIN_SKIN_LAYOUT_H_
