#ifndef UI_SKIN_SKIN_TEST_UTIL_H_
#define UI_SKIN_SKIN_TEST_UTIL_H_

#include <fstream>
#include <sstream>
#include <string>

// A file of ui/resources, the documents and images the executable carries.
inline std::string ReadSkinResource(const std::string& name) {
  std::ifstream file(std::string(TB_SKIN_RESOURCES_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

#endif  // UI_SKIN_SKIN_TEST_UTIL_H_
