#include "ui/skin/skin_xml.h"

#include <charconv>

const tinyxml2::XMLElement* SkinRoot(tinyxml2::XMLDocument& document,
                                     std::string_view xml,
                                     const char* root_name,
                                     SkinProblems* problems) {
  if (document.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) {
    problems->push_back(std::string("skin document <") + root_name +
                        "> unreadable: " + document.ErrorStr());
    return nullptr;
  }
  const tinyxml2::XMLElement* root = document.RootElement();
  if (!root || std::string_view(root->Name()) != root_name) {
    problems->push_back(std::string("skin document is not <") + root_name + ">");
    return nullptr;
  }
  return root;
}

std::string_view Attribute(const tinyxml2::XMLElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value ? value : std::string_view();
}

std::optional<int> IntAttribute(const tinyxml2::XMLElement& element, const char* name) {
  const std::string_view text = Attribute(element, name);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

bool FlagAttribute(const tinyxml2::XMLElement& element, const char* name, bool absent) {
  const std::string_view text = Attribute(element, name);
  return text.empty() ? absent : text != "0";
}

void AddProblem(SkinProblems* problems, const tinyxml2::XMLElement& element, std::string_view why) {
  std::string line = "skin <";
  line += element.Name();
  if (const char* id =
          element.Attribute("id") ? element.Attribute("id") : element.Attribute("name"))
    line += std::string(" ") + id;
  line += "> line " + std::to_string(element.GetLineNum()) + ": ";
  line += why;
  problems->push_back(std::move(line));
}

bool Skip(SkinProblems* problems, const tinyxml2::XMLElement& element, std::string_view why) {
  AddProblem(problems, element, why);
  return false;
}
