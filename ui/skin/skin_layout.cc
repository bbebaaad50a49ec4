#include "ui/skin/skin_layout.h"

#include <algorithm>
#include <array>
#include <utility>

#include "utils/string_util.h"

namespace {

using tinyxml2::XMLElement;

constexpr std::array<std::pair<std::string_view, ElementKind>, 6> kKinds = {{
    {"img", ElementKind::kImage},
    {"text", ElementKind::kText},
    {"link", ElementKind::kLink},
    {"imgbtn", ElementKind::kImageButton},
    {"button", ElementKind::kButton},
    {"dlg", ElementKind::kPanel},
}};

std::wstring WideAttribute(const XMLElement& element, const char* name) {
  return Utf8ToWide(Attribute(element, name));
}

std::vector<LayoutElement> ReadElements(const XMLElement& parent,
                                        const SkinCatalog& catalog,
                                        SkinProblems* problems);

bool ReadElement(const XMLElement& xml,
                 const SkinCatalog& catalog,
                 SkinProblems* problems,
                 LayoutElement* element) {
  const auto kind = std::find_if(kKinds.begin(), kKinds.end(),
                                 [&](const auto& entry) { return entry.first == xml.Name(); });
  if (kind == kKinds.end())
    return Skip(problems, xml, "skipped, unknown element");
  element->kind = kind->second;
  const std::string_view pos_text = Attribute(xml, "pos");
  const std::optional<SkinPos> pos = ParsePos(pos_text);
  if (!pos)
    return Skip(problems, xml, "skipped, bad pos \"" + std::string(pos_text) + "\"");
  element->pos = *pos;
  if (!Attribute(xml, "id").empty() && !IntAttribute(xml, "id"))
    return Skip(problems, xml, "skipped, bad id");
  element->id = IntAttribute(xml, "id").value_or(0);
  element->skin = Attribute(xml, "skin");
  const bool shows_image =
      element->kind == ElementKind::kImage || element->kind == ElementKind::kImageButton;
  if (shows_image && !catalog.images.contains(element->skin))
    return Skip(problems, xml, "skipped, no image skin \"" + element->skin + "\"");
  element->style = Attribute(xml, "class");
  if (!element->style.empty() && !catalog.styles.contains(element->style)) {
    AddProblem(problems, xml, "drawn plain, no class \"" + element->style + "\"");
    element->style.clear();
  }
  element->name = Attribute(xml, "name");
  element->tip = WideAttribute(xml, "tip");
  element->text = Utf8ToWide(xml.GetText() ? xml.GetText() : "");
  element->shown = FlagAttribute(xml, "show", true);
  element->takes_header_clicks = FlagAttribute(xml, "headacceptlbtndownmsg", false);
  if (element->kind == ElementKind::kPanel)
    element->children = ReadElements(xml, catalog, problems);
  return true;
}

std::vector<LayoutElement> ReadElements(const XMLElement& parent,
                                        const SkinCatalog& catalog,
                                        SkinProblems* problems) {
  std::vector<LayoutElement> elements;
  for (const XMLElement* child = parent.FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    LayoutElement element;
    if (ReadElement(*child, catalog, problems, &element))
      elements.push_back(std::move(element));
  }
  return elements;
}

void Place(const std::vector<LayoutElement>& elements,
           const SkinRect& parent,
           const NaturalSize& natural_size,
           std::vector<PlacedElement>* placed) {
  for (const LayoutElement& element : elements) {
    const SkinSize natural = element.pos.right ? SkinSize() : natural_size(element);
    const SkinRect rect = ResolvePos(element.pos, parent, natural);
    placed->push_back({&element, rect});
    Place(element.children, rect, natural_size, placed);
  }
}

}  // namespace

std::optional<Layout> ParseLayout(std::string_view xml,
                                  const SkinCatalog& catalog,
                                  SkinProblems* problems) {
  tinyxml2::XMLDocument document;
  const XMLElement* root = SkinRoot(document, xml, "layer", problems);
  if (!root)
    return std::nullopt;
  Layout layout;
  const std::optional<int> width = IntAttribute(*root, "width");
  const std::optional<int> height = IntAttribute(*root, "height");
  if (!width || !height || *width <= 0 || *height <= 0) {
    AddProblem(problems, *root, "unusable, needs a width and a height");
    return std::nullopt;
  }
  layout.width = *width;
  layout.height = *height;
  layout.title = WideAttribute(*root, "title");
  layout.app_window = FlagAttribute(*root, "appwin", false);
  layout.no_border = FlagAttribute(*root, "noborder", false);
  layout.child = FlagAttribute(*root, "child", false);
  layout.resizable = FlagAttribute(*root, "resize", false);
  layout.shown = FlagAttribute(*root, "show", false);
  const XMLElement* section = root->FirstChildElement("body");
  if (!section) {
    section = root->FirstChildElement("header");
    layout.header = section != nullptr;
  }
  if (!section) {
    AddProblem(problems, *root, "has no body or header");
    return layout;
  }
  layout.background = ParseColor(Attribute(*section, "crbg"));
  if (!layout.background && !Attribute(*section, "crbg").empty())
    AddProblem(problems, *section, "drawn white, bad crbg");
  layout.elements = ReadElements(*section, catalog, problems);
  return layout;
}

std::vector<PlacedElement> PlaceElements(const std::vector<LayoutElement>& elements,
                                         const SkinRect& parent,
                                         const NaturalSize& natural_size) {
  std::vector<PlacedElement> placed;
  Place(elements, parent, natural_size, &placed);
  return placed;
}
