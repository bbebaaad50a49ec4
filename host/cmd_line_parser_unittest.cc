#include "host/cmd_line_parser.h"

#include <gtest/gtest.h>

namespace {

TEST(CmdLineParserTest, MissingTextIsRejected) {
  CCmdLineParser parser;
  EXPECT_FALSE(parser.Parse(nullptr));
  EXPECT_FALSE(parser.HasKey(L""));
}

TEST(CmdLineParserTest, TextWithoutSwitchesHoldsNothing) {
  CCmdLineParser parser;
  EXPECT_FALSE(parser.Parse(L""));
  EXPECT_FALSE(parser.Parse(L"plain words only"));
  EXPECT_FALSE(parser.HasKey(L"plain"));
}

TEST(CmdLineParserTest, ReadsBothMarkersAndBothSeparators) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"-a /b:1 -c:two /d"));
  EXPECT_EQ(parser.GetValue(L"a"), L"");
  EXPECT_EQ(parser.GetValue(L"b"), L"1");
  EXPECT_EQ(parser.GetValue(L"c"), L"two");
  EXPECT_EQ(parser.GetValue(L"d"), L"");
  EXPECT_EQ(parser.GetValue(L"e"), std::nullopt);
  EXPECT_FALSE(parser.HasKey(L"e"));
}

TEST(CmdLineParserTest, ExtensionOriginReadsAsExtensionSwitch) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"));
  EXPECT_EQ(parser.GetValue(L"extension"), L"//kccfkjohlmdimceejcjdedpnnbkcnpbb/");
  EXPECT_FALSE(parser.HasKey(L"chrome"));
}

TEST(CmdLineParserTest, QuotedValueMayHoldBlanksAndSeparators) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/key:\"a b:-c /d\" /x"));
  EXPECT_EQ(parser.GetValue(L"key"), L"a b:-c /d");
  EXPECT_EQ(parser.GetValue(L"x"), L"");
  EXPECT_FALSE(parser.HasKey(L"c"));
  EXPECT_FALSE(parser.HasKey(L"d"));
}

TEST(CmdLineParserTest, QuoteInsideAValueIsKept) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/k:a\"b /n"));
  EXPECT_EQ(parser.GetValue(L"k"), L"a\"b");
  EXPECT_TRUE(parser.HasKey(L"n"));
}

TEST(CmdLineParserTest, UnterminatedQuoteTakesTheRest) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/a /key:\"x y /z"));
  EXPECT_EQ(parser.GetValue(L"key"), L"x y /z");
  EXPECT_FALSE(parser.HasKey(L"z"));
  ASSERT_TRUE(parser.Parse(L"/key:\""));
  EXPECT_EQ(parser.GetValue(L"key"), L"");
}

TEST(CmdLineParserTest, UnquotedValueRunsToTheEnd) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/p:1234"));
  EXPECT_EQ(parser.GetValue(L"p"), L"1234");
}

TEST(CmdLineParserTest, EmptyKeysAreNotStored) {
  CCmdLineParser parser;
  EXPECT_FALSE(parser.Parse(L"/:value"));
  EXPECT_FALSE(parser.Parse(L"/ - /:"));
  // The value of an empty key is skipped, not read as switches.
  EXPECT_FALSE(parser.Parse(L"/:\"-a /b\""));
  ASSERT_TRUE(parser.Parse(L"/: /k"));
  EXPECT_TRUE(parser.HasKey(L"k"));
}

TEST(CmdLineParserTest, MarkerOrSeparatorAtTheEnd) {
  CCmdLineParser parser;
  EXPECT_FALSE(parser.Parse(L"/"));
  ASSERT_TRUE(parser.Parse(L"/a /"));
  EXPECT_TRUE(parser.HasKey(L"a"));
  ASSERT_TRUE(parser.Parse(L"/a /key:"));
  EXPECT_EQ(parser.GetValue(L"key"), L"");
  ASSERT_TRUE(parser.Parse(L"/key: "));
  EXPECT_EQ(parser.GetValue(L"key"), L"");
}

TEST(CmdLineParserTest, FirstValueOfARepeatedKeyIsKept) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/k:1 /K:2 -k:3 /k"));
  EXPECT_EQ(parser.GetValue(L"k"), L"1");
}

TEST(CmdLineParserTest, ParseForgetsEarlierSwitches) {
  CCmdLineParser parser;
  ASSERT_TRUE(parser.Parse(L"/a"));
  ASSERT_TRUE(parser.Parse(L"/b"));
  EXPECT_FALSE(parser.HasKey(L"a"));
  EXPECT_FALSE(parser.Parse(L""));
  EXPECT_FALSE(parser.HasKey(L"b"));
}

TEST(CmdLineParserTest, KeysIgnoreAsciiCaseByDefault) {
  CCmdLineParser parser(L"/EXTENSION /Mixed:Value", false);
  EXPECT_TRUE(parser.HasKey(L"extension"));
  EXPECT_TRUE(parser.HasKey(L"Extension"));
  // Values keep their case.
  EXPECT_EQ(parser.GetValue(L"MIXED"), L"Value");
  // Only ASCII letters are folded.
  ASSERT_TRUE(parser.Parse(L"/\u00C9"));
  EXPECT_TRUE(parser.HasKey(L"\u00C9"));
  EXPECT_FALSE(parser.HasKey(L"\u00E9"));
}

TEST(CmdLineParserTest, CaseSensitiveParserKeepsKeysAsGiven) {
  CCmdLineParser parser(L"/Key:1 /key:2", true);
  EXPECT_EQ(parser.GetValue(L"Key"), L"1");
  EXPECT_EQ(parser.GetValue(L"key"), L"2");
  EXPECT_FALSE(parser.HasKey(L"KEY"));
}

}  // namespace
