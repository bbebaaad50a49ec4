#include "host_functions/manifest.h"

#include <gtest/gtest.h>

TEST(ManifestTest, MembersInOrderWithThePathEscaped) {
  const std::optional<std::string> text = BuildManifest(R"(C:\Users\Zoë "x"\tabbridge.exe)");
  ASSERT_TRUE(text);
  EXPECT_EQ(*text,
            "{\n"
            "\t\"name\":\t\"com.tabbridge.helper\",\n"
            "\t\"description\":\t\"tabbridge\",\n"
            "\t\"path\":\t\"C:\\\\Users\\\\Zoë \\\"x\\\"\\\\tabbridge.exe\",\n"
            "\t\"type\":\t\"stdio\",\n"
            "\t\"allowed_origins\":\t[\"chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/\"]\n"
            "}");
  EXPECT_EQ(ManifestExePath(*text), R"(C:\Users\Zoë "x"\tabbridge.exe)");
}

TEST(ManifestTest, PathOnlyFromAnObjectWithAStringPath) {
  for (const char* text : {"", "{", "[]", "\"path\"", "{\"path\":1}", "{\"Path\":\"a\"}",
                           "{\"path\":null}", "{\"name\":\"a\"}"}) {
    EXPECT_FALSE(ManifestExePath(text)) << text;
  }
  EXPECT_EQ(ManifestExePath(R"({"path":""})"), "");
}
