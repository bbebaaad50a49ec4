#include "host_functions/manifest.h"

#include <cjson/cJSON.h>

#include <memory>
#include <string>

#include "host_functions/install_state.h"

namespace {

struct JsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};

struct PrintedDeleter {
  void operator()(char* text) const { cJSON_free(text); }
};

}  // namespace

std::optional<std::string> BuildManifest(std::string_view exe_path) {
  std::unique_ptr<cJSON, JsonDeleter> root(cJSON_CreateObject());
  std::unique_ptr<cJSON, JsonDeleter> origins(cJSON_CreateArray());
  std::unique_ptr<cJSON, JsonDeleter> origin(cJSON_CreateString(kExtensionOrigin));
  if (!root || !origins || !origin || !cJSON_AddItemToArray(origins.get(), origin.release()))
    return std::nullopt;
  const bool complete =
      cJSON_AddStringToObject(root.get(), "name", kNativeHostName) &&
      cJSON_AddStringToObject(root.get(), "description", "tabbridge") &&
      cJSON_AddStringToObject(root.get(), "path", std::string(exe_path).c_str()) &&
      cJSON_AddStringToObject(root.get(), "type", "stdio");
  if (!complete || !cJSON_AddItemToObject(root.get(), "allowed_origins", origins.get()))
    return std::nullopt;
  (void)origins.release();
  std::unique_ptr<char, PrintedDeleter> text(cJSON_Print(root.get()));
  if (!text)
    return std::nullopt;
  return std::string(text.get());
}

std::optional<std::string> ManifestExePath(std::string_view text) {
  std::unique_ptr<cJSON, JsonDeleter> root(cJSON_ParseWithLength(text.data(), text.size()));
  const cJSON* path = cJSON_GetObjectItemCaseSensitive(root.get(), "path");
  if (!cJSON_IsObject(root.get()) || !cJSON_IsString(path))
    return std::nullopt;
  return std::string(path->valuestring);
}
