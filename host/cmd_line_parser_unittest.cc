#include "host/cmd_line_parser.h"

#include <gtest/gtest.h>

namespace {

TEST(CmdLineParserTest, ReadsSwitchesAndValues) {
  const struct {
    const wchar_t* text;
    const wchar_t* key;
    std::optional<std::wstring> value;
  } cases[] = {
      {L"-a /b:1 -c:two /d", L"a", L""},
      {L"-a /b:1 -c:two /d", L"c", L"two"},
      // The browser's first argument, the extension's origin.
      {L"chrome-extension://kccf/", L"extension", L"//kccf/"},
      {L"chrome-extension://kccf/", L"chrome", std::nullopt},
      {L"/key:\"a b:-c /d\" /x", L"key", L"a b:-c /d"},
      {L"/key:\"a b:-c /d\" /x", L"d", std::nullopt},
      {L"/k:a\"b /n", L"k", L"a\"b"},
      {L"/a /key:\"x y /z", L"key", L"x y /z"},  // an unterminated quote takes the rest
      {L"/key:\"", L"key", L""},
      {L"/: /k", L"k", L""},
      {L"/k:1 /K:2 -k:3 /k", L"k", L"1"},
      {L"/EXTENSION /Mixed:Value", L"MIXED", L"Value"},
      {L"/\u00C9", L"\u00E9", std::nullopt}  // only ASCII letters are folded
  };
  CCmdLineParser parser;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " " << c.key);
    ASSERT_TRUE(parser.Parse(c.text));
    EXPECT_EQ(parser.GetValue(c.key), c.value);
  }
}

TEST(CmdLineParserTest, TextWithoutSwitchesIsRefusedAndForgetsEarlierOnes) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/a"));
  ASSERT_TRUE(parser.Parse(L"/b"));
  EXPECT_FALSE(parser.HasKey(L"a"));
  for (const wchar_t* text : {L"", static_cast<const wchar_t*>(nullptr), L"plain words", L"/",
                              L"/:value", L"/ - /:", L"/:\"-a /b\""}) {
    EXPECT_FALSE(parser.Parse(text)) << (text ? text : L"null");
  }
  EXPECT_FALSE(parser.HasKey(L"b"));
}

}  // namespace
