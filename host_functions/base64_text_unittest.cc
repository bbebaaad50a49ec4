#include "host_functions/base64_text.h"

#include <gtest/gtest.h>

TEST(Base64TextTest, AcceptsWholeQuadsWithTrailingPaddingOnly) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {{"QUJD", true},      {"QUI=", true},   {"QQ==", true},  {"a+/9QUJD", true},
               {"", false},         {"QUJDR", false}, {"QUJ", false},  {"Q===", false},
               {"QQ==QUJD", false}, {"QU=D", false},  {"QU D", false}, {"QUJ\n", false},
               {"QUJ-", false},     {"QUJ_", false}};
  for (const auto& c : cases)
    EXPECT_EQ(IsBase64Text(c.text), c.valid) << '"' << c.text << '"';
}
