#include "diagnostics/finding.h"

#include <gtest/gtest.h>

namespace {

TEST(FindingTest, ReportEndsWithTheNumberOfProblems) {
  const Finding ok{"a", true, ""};
  const Finding problem{"b", false, ""};
  const struct {
    std::vector<Finding> findings;
    const char* summary;
  } cases[] = {{{}, "\r\n\r\nNo problems found.\r\n"},
               {{ok, problem}, "OK       a: \r\nPROBLEM  b: \r\n\r\n1 problem found.\r\n"},
               {{problem, ok, problem}, "\r\n\r\n2 problems found.\r\n"}};
  for (const auto& c : cases)
    EXPECT_TRUE(FormatReport(c.findings).ends_with(c.summary)) << FormatReport(c.findings);
}

}  // namespace
