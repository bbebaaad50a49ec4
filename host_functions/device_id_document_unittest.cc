#include "host_functions/device_id_document.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// Stands in for CRC-32 so that each text's checksum is easy to tell.
uint32_t Length(std::string_view text) {
  return text.size() == 3 ? 0xABCDEF12 : static_cast<uint32_t>(text.size());
}

std::string Compact(std::string text) {
  cJSON_Minify(text.data());
  return text.c_str();
}

TEST(DeviceIdDocumentTest, MembersForKnownSourcesOnly) {
  const struct {
    DeviceSources sources;
    const char* document;
  } cases[] = {
      {{}, "{}"},
      {{"uuid", "12AB34CD", {}}, R"({"b":"00000004","d":"00000008"})"},
      {{"", "", {"00:11", "abc"}}, R"({"m":"00000005-ABCDEF12"})"},
      {{"u", "", {"00:11:22:33:44:55"}}, R"({"b":"00000001","m":"00000011"})"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Compact(DeviceIdentifierDocument(c.sources, &Length)), c.document);
}

}  // namespace
