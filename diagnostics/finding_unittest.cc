#include "diagnostics/finding.h"

#include <gtest/gtest.h>

namespace {

TEST(FindingTest, ReportListsFindingsThenCountsProblems) {
  EXPECT_EQ(FormatReport({{"Manifest", true, "fine"}, {"Log", false, "broken. Mend it."}}),
            "TabBridge diagnostics\r\n\r\n"
            "OK       Manifest: fine\r\n"
            "PROBLEM  Log: broken. Mend it.\r\n"
            "\r\n1 problem found.\r\n");
  const struct {
    std::vector<Finding> findings;
    int problems;
    const char* summary;
  } cases[] = {
      {{}, 0, "\r\nNo problems found.\r\n"},
      {{{"a", true, ""}}, 0, "\r\nNo problems found.\r\n"},
      {{{"a", false, ""}, {"b", true, ""}, {"c", false, ""}}, 2, "\r\n2 problems found.\r\n"}};
  for (const auto& c : cases) {
    EXPECT_EQ(CountProblems(c.findings), c.problems);
    EXPECT_TRUE(FormatReport(c.findings).ends_with(c.summary)) << c.summary;
  }
}

}  // namespace
