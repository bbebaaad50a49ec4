#include "ui/skin/skin_catalog.h"

#include <algorithm>
#include <array>
#include <utility>

#include "utils/string_util.h"

namespace {

using tinyxml2::XMLElement;

bool ReadPng(const XMLElement& element, SkinCatalog* catalog, SkinProblems* problems) {
  const std::string_view name = Attribute(element, "name");
  const std::optional<int> source = IntAttribute(element, "src");
  const std::optional<int> frame_width = IntAttribute(element, "subwidth");
  if (name.empty() || !source || *source <= 0)
    return Skip(problems, element, "skipped, needs a name and an image id");
  if (!Attribute(element, "subwidth").empty() && (!frame_width || *frame_width <= 0))
    return Skip(problems, element, "skipped, bad subwidth");
  catalog->images[std::string(name)] = ImageSkin{*source, frame_width.value_or(0)};
  return true;
}

bool ReadButton(const XMLElement& element, SkinCatalog* catalog, SkinProblems* problems) {
  const std::string_view name = Attribute(element, "name");
  ButtonSkin skin;
  const std::array<std::pair<const char*, SkinColor*>, 8> colours = {{
      {"border", &skin.border},
      {"bg", &skin.background},
      {"bgup", &skin.up},
      {"bgdown", &skin.down},
      {"bguphover", &skin.hover_up},
      {"bgdownhover", &skin.hover_down},
      {"bguppush", &skin.push_up},
      {"bgdownpush", &skin.push_down},
  }};
  for (const auto& [attribute, colour] : colours) {
    const std::optional<SkinColor> value = ParseColor(Attribute(element, attribute));
    if (!value)
      return Skip(problems, element, std::string("skipped, bad colour ") + attribute);
    *colour = *value;
  }
  if (name.empty())
    return Skip(problems, element, "skipped, no name");
  catalog->buttons[std::string(name)] = skin;
  return true;
}

// An optional attribute: absent is fine, present must parse.
template <typename T, typename Parse>
bool ReadOptional(const XMLElement& element,
                  const char* attribute,
                  Parse parse,
                  std::optional<T>* out,
                  SkinProblems* problems) {
  const std::string_view text = Attribute(element, attribute);
  if (text.empty())
    return true;
  *out = parse(text);
  return out->has_value() || Skip(problems, element, std::string("skipped, bad ") + attribute);
}

bool ReadClass(const XMLElement& element, SkinCatalog* catalog, SkinProblems* problems) {
  const std::string_view name = Attribute(element, "name");
  if (name.empty())
    return Skip(problems, element, "skipped, no name");
  StyleClass style;
  style.skin = Attribute(element, "skin");
  if (!style.skin.empty() && !catalog->buttons.contains(style.skin))
    return Skip(problems, element, "skipped, unknown skin " + style.skin);
  std::optional<SkinCursor> cursor;
  if (!ReadOptional(element, "crtext", ParseColor, &style.text, problems) ||
      !ReadOptional(element, "crhover", ParseColor, &style.hover, problems) ||
      !ReadOptional(element, "crdisabled", ParseColor, &style.disabled, problems) ||
      !ReadOptional(element, "crbg", ParseColor, &style.background, problems) ||
      !ReadOptional(element, "font", ParseFontCode, &style.font, problems) ||
      !ReadOptional(element, "textmode", ParseTextFlags, &style.text_flags, problems) ||
      !ReadOptional(element, "textmodeex", ParseTextFlags, &style.text_flags_ex, problems) ||
      !ReadOptional(element, "cursor", ParseCursor, &cursor, problems)) {
    return false;
  }
  style.cursor = cursor.value_or(SkinCursor::kArrow);
  style.smooth_text = FlagAttribute(element, "gdiplus", false);
  catalog->styles[std::string(name)] = std::move(style);
  return true;
}

using Reader = bool (*)(const XMLElement&, SkinCatalog*, SkinProblems*);

// Hands each child element to the reader of its name; others are left out.
bool ReadEntries(std::string_view xml,
                 const char* root_name,
                 std::initializer_list<std::pair<std::string_view, Reader>> readers,
                 SkinCatalog* catalog,
                 SkinProblems* problems) {
  tinyxml2::XMLDocument document;
  const XMLElement* root = SkinRoot(document, xml, root_name, problems);
  if (!root)
    return false;
  for (const XMLElement* child = root->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const auto reader = std::find_if(readers.begin(), readers.end(), [&](const auto& entry) {
      return entry.first == child->Name();
    });
    if (reader == readers.end())
      Skip(problems, *child, "skipped, unknown element");
    else
      reader->second(*child, catalog, problems);
  }
  return true;
}

bool ReadString(const XMLElement& element, SkinCatalog* catalog, SkinProblems* problems) {
  const std::optional<int> id = IntAttribute(element, "id");
  if (!id)
    return Skip(problems, element, "skipped, no id");
  catalog->strings[*id] = Utf8ToWide(element.GetText() ? element.GetText() : "");
  return true;
}

}  // namespace

bool ParseSkinStrings(std::string_view xml, SkinCatalog* catalog, SkinProblems* problems) {
  return ReadEntries(xml, "strings", {{"s", &ReadString}}, catalog, problems);
}

bool ParseSkins(std::string_view xml, SkinCatalog* catalog, SkinProblems* problems) {
  return ReadEntries(xml, "skins", {{"png", &ReadPng}, {"button", &ReadButton}}, catalog, problems);
}

bool ParseSkinStyles(std::string_view xml, SkinCatalog* catalog, SkinProblems* problems) {
  return ReadEntries(xml, "styles", {{"class", &ReadClass}}, catalog, problems);
}
