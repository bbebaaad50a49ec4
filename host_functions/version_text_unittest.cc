#include "host_functions/version_text.h"

#include <gtest/gtest.h>

#include <climits>

TEST(VersionTextTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(MajorVersionFromText(L"9"), 9);
  EXPECT_EQ(MajorVersionFromText(L"11.00.9600.16428"), 11);
  EXPECT_EQ(MajorVersionFromText(L"6.0.2800.1106"), 6);
  EXPECT_EQ(MajorVersionFromText(L"007"), 7);
}

TEST(VersionTextTest, BlanksAndSignBeforeTheDigits) {
  EXPECT_EQ(MajorVersionFromText(L" 10.0"), 10);
  EXPECT_EQ(MajorVersionFromText(L"\t\r\n 8"), 8);
  EXPECT_EQ(MajorVersionFromText(L"+9"), 9);
  EXPECT_EQ(MajorVersionFromText(L"-3.1"), -3);
  EXPECT_EQ(MajorVersionFromText(L"- 3"), 0);
  EXPECT_EQ(MajorVersionFromText(L"1 1"), 1);
}

TEST(VersionTextTest, NoDigitsIsZero) {
  EXPECT_EQ(MajorVersionFromText(L""), 0);
  EXPECT_EQ(MajorVersionFromText(L"abc"), 0);
  EXPECT_EQ(MajorVersionFromText(L"   "), 0);
  EXPECT_EQ(MajorVersionFromText(L"v11"), 0);
  EXPECT_EQ(MajorVersionFromText(L"-"), 0);
}

TEST(VersionTextTest, SaturatesAtTheIntRange) {
  EXPECT_EQ(MajorVersionFromText(L"2147483647"), INT_MAX);
  EXPECT_EQ(MajorVersionFromText(L"2147483648"), INT_MAX);
  EXPECT_EQ(MajorVersionFromText(L"99999999999999999999999"), INT_MAX);
  EXPECT_EQ(MajorVersionFromText(L"-2147483648"), INT_MIN);
  EXPECT_EQ(MajorVersionFromText(L"-99999999999999999999999"), INT_MIN);
}
