#include "host_functions/version_compare.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(VersionCompareTest, EqualVersionsCompareEqual) {
  EXPECT_EQ(CompareVersions("2.26.20.0", "2.26.20.0"), 0);
  EXPECT_EQ(CompareVersions("", ""), 0);
}

TEST(VersionCompareTest, FirstDifferingPartDecides) {
  EXPECT_LT(CompareVersions("2.26.20.0", "2.26.21.0"), 0);
  EXPECT_GT(CompareVersions("2.26.20.0", "2.26.19.0"), 0);
  EXPECT_LT(CompareVersions("2.26.20.0", "2.27.0.0"), 0);
  EXPECT_GT(CompareVersions("3.0.0.0", "2.99.99.99"), 0);
  EXPECT_LT(CompareVersions("2.26.20.0", "2.26.20.1"), 0);
}

TEST(VersionCompareTest, ResultIsFirstMinusSecond) {
  EXPECT_EQ(CompareVersions("2.26.20.0", "2.26.23.0"), -3);
  EXPECT_EQ(CompareVersions("5.1.1.1", "2.9.9.9"), 3);
  EXPECT_EQ(CompareVersions("1.2.3.10", "1.2.3.4"), 6);
}

TEST(VersionCompareTest, MissingPartsCountAsZero) {
  EXPECT_EQ(CompareVersions("2.26", "2.26.0.0"), 0);
  EXPECT_EQ(CompareVersions("2", "2.0.0.0"), 0);
  EXPECT_EQ(CompareVersions("2.26.", "2.26.0.0"), 0);
  EXPECT_LT(CompareVersions("2.26", "2.26.0.1"), 0);
}

TEST(VersionCompareTest, ReadingStopsAtTheFirstUnreadablePart) {
  EXPECT_EQ(CompareVersions("abc", "0.0.0.0"), 0);
  EXPECT_EQ(CompareVersions("2.x.1.1", "2.0.0.0"), 0);
  EXPECT_EQ(CompareVersions("2 .3", "2.0"), 0);
  EXPECT_EQ(CompareVersions("2,3.4.5", "2"), 0);
  EXPECT_EQ(CompareVersions("2.-.1.1", "2"), 0);
  // A part ends at its last digit; the rest must start with a dot.
  EXPECT_EQ(CompareVersions("2.3beta.4.5", "2.3"), 0);
  // A fifth part is never read.
  EXPECT_EQ(CompareVersions("1.2.3.4.5", "1.2.3.4"), 0);
}

TEST(VersionCompareTest, PartsAreReadLikeDecimalIntegers) {
  EXPECT_EQ(CompareVersions(" 2. 26.\t20.+0", "2.26.20.0"), 0);
  EXPECT_EQ(CompareVersions("02.026.0020.0", "2.26.20.0"), 0);
  EXPECT_EQ(CompareVersions("-1.0.0.0", "1.0.0.0"), -2);
  EXPECT_EQ(CompareVersions("1.-0.0.0", "1.0.0.0"), 0);
}

TEST(VersionCompareTest, HugePartsSaturateWithoutOverflow) {
  EXPECT_EQ(CompareVersions("99999999999999999999", "2147483647"), 0);
  EXPECT_EQ(CompareVersions("-99999999999999999999", "-2147483648"), 0);
  EXPECT_GT(CompareVersions("2147483648", "2147483646"), 0);
  // The difference itself would overflow an int.
  EXPECT_EQ(CompareVersions("2147483647", "-2147483648"), INT_MAX);
  EXPECT_EQ(CompareVersions("-2147483648", "2147483647"), INT_MIN);
  EXPECT_EQ(CompareVersions("2147483647", "-1"), INT_MAX);
  EXPECT_EQ(CompareVersions("-2", "2147483647"), INT_MIN);
}

TEST(VersionCompareTest, WideTextAgreesWithNarrow) {
  EXPECT_EQ(CompareVersions(L"2.26.20.0", L"2.26.20.0"), 0);
  EXPECT_EQ(CompareVersions(L"2.26.20.0", L"2.26.23.0"), -3);
  EXPECT_EQ(CompareVersions(L"2.26", L"2.26.0.0"), 0);
  EXPECT_EQ(CompareVersions(L"2.x.1.1", L"2.0.0.0"), 0);
  EXPECT_EQ(CompareVersions(L"abc", L"0"), 0);
  EXPECT_EQ(CompareVersions(L" +3.1", L"2.9"), 1);
  // A non-ASCII digit is not a digit.
  EXPECT_EQ(CompareVersions(L"2.\u0663", L"2"), 0);
}

}  // namespace
