#ifndef UI_SKIN_SKIN_XML_H_
#define UI_SKIN_SKIN_XML_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <tinyxml2.h>

// What a parse left out and why, one line each; the caller logs them.
using SkinProblems = std::vector<std::string>;

// The root element of `xml` when it is a well-formed document with a root of
// that name.
const tinyxml2::XMLElement* SkinRoot(tinyxml2::XMLDocument& document,
                                     std::string_view xml,
                                     const char* root_name,
                                     SkinProblems* problems);

std::string_view Attribute(const tinyxml2::XMLElement& element, const char* name);
std::optional<int> IntAttribute(const tinyxml2::XMLElement& element, const char* name);
bool FlagAttribute(const tinyxml2::XMLElement& element, const char* name, bool absent);

void AddProblem(SkinProblems* problems, const tinyxml2::XMLElement& element, std::string_view why);
// AddProblem for an element that is left out; false, so readers can return it.
bool Skip(SkinProblems* problems, const tinyxml2::XMLElement& element, std::string_view why);

#endif  // UI_SKIN_SKIN_XML_H_
