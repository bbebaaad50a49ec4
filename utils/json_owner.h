#ifndef UTILS_JSON_OWNER_H_
#define UTILS_JSON_OWNER_H_

#include <cjson/cJSON.h>

#include <memory>
#include <string>

// Owners for cJSON documents and the texts it prints.
struct JsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using unique_json = std::unique_ptr<cJSON, JsonDeleter>;

// The formatted text of `item`; empty when printing fails.
inline std::string PrintJson(const cJSON* item) {
  const std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_Print(item), &cJSON_free);
  return text ? std::string(text.get()) : std::string();
}

#endif  // UTILS_JSON_OWNER_H_
