#include "host_functions/version_text.h"

#include <gtest/gtest.h>

#include <climits>

TEST(VersionTextTest, ReadsTheLeadingNumber) {
  const struct {
    const wchar_t* text;
    int major;
  } cases[] = {{L"11.00.9600.16428", 11},
               {L"007", 7},
               {L"\t\r\n 8", 8},
               {L"+9", 9},
               {L"-3.1", -3},
               {L"- 3", 0},
               {L"1 1", 1},
               {L"", 0},
               {L"v11", 0},
               {L"2147483648", INT_MAX},
               {L"-2147483648", INT_MIN},
               {L"-99999999999999999999", INT_MIN}};
  for (const auto& c : cases)
    EXPECT_EQ(MajorVersionFromText(c.text), c.major) << c.text;
}
